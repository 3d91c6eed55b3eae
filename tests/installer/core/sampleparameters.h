#pragma once

#include "installer/core/installparameters.h"

// Installation parameters with every shell folder known and distinct, no shortcut chosen, no
// oid or oname: what registration tests and the fuzz target start from.
inline InstallParameters SampleInstallParameters() {
    InstallParameters p;
    p.displayName = "Zembrico Poker";
    p.brand = "Zembrico";
    p.installFolder = "C:\\Games\\Zembrico";
    p.iconPath = "Zembrico.exe";
    p.programsFolder = "C:\\U\\Programs";
    p.commonProgramsFolder = "C:\\All\\Programs";
    p.desktopFolder = "C:\\U\\Desktop";
    p.commonDesktopFolder = "C:\\All\\Desktop";
    p.startMenuFolder = "C:\\U\\Start Menu";
    p.commonStartMenuFolder = "C:\\All\\Start Menu";
    p.quickLaunchFolder = "C:\\U\\Quick Launch";
    return p;
}
