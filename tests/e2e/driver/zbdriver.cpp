// zbdriver: plays a user at the setup program's window, for the end-to-end tests.
//
//   zbdriver STEP [ARG...] [STEP [ARG...]]...
//   zbdriver serve
//
// Steps run in order; the first that fails prints "FAIL: ..." and ends the program with 1.
// With "serve" the driver reads one list of steps per line of its standard input (arguments
// separated by tabs), runs it, and ends its answer with "end 0" or, after a failure, "end 1";
// it ends at the end of its input. (A Wine process start costs seconds under emulation.)
// Waits take a time-out in seconds. Control ids are those of the wizard's layout.
//
//   win10 EXE-NAME       have Wine report Windows 10 to programs of that file name
//   start PATH [ARG]     start the setup program; every later step looks only at its windows
//   run COMMAND-LINE     start a program from a command line as the system runs one (an
//                        uninstall string); later steps look only at its windows
//   exit T               wait until it ends; print "exit N windows seen|none" with its exit
//                        code and whether a window or box of it showed while waiting
//   terminate            end it at once when it still runs (clean-up after a failure)
//   killunder FOLDER     end every process whose program lies in FOLDER (a launched client)
//   window T             wait for the visible "ZembricoInstaller" window
//   gone T               wait until no such window exists
//   nowindow             fail when the window exists
//   command ID           post the command a click on a push button or radio button sends
//   click ID             press and release a check box (focus first, as a click gives it)
//   settext ID TEXT      replace an edit field's text (the field reports the change)
//   close                post the window's close message (Alt+F4, the system close)
//   language INDEX       choose the language list's entry of that language index, with the
//                        notifications of a choice made in the open list
//   visible ID 0|1 T     wait until the control's visibility is as given
//   enabled ID 0|1       the control's enabled state is as given now
//   checked ID 0|1 T     wait until the check box's state (BM_GETCHECK) is as given
//   text ID TEXT T       wait until the control's text is TEXT
//   textnot ID TEXT T    wait until the control's text differs from TEXT
//   print ID             print "text ID: ..." with the control's text
//   rect wizard|box|boxfirst|ID  print "rect NAME: LEFT TOP RIGHT BOTTOM", the screen rectangle
//                        of the wizard, of the open program message box, of its first button
//                        or of a wizard control
//   layout               print "layout ID: X Y WIDTH HEIGHT" for each control of the wizard's
//                        layout table that has an id (window pixels at 100 %)
//   constants            print "constants JSON": the control ids, exit codes, sizes and scale
//                        steps the tests share with the programs
//   manifest PATH        print "manifest: TEXT", the program's manifest (RT_MANIFEST 1) with its
//                        line breaks taken out
//   dpichanged DPI       send the wizard what the system sends when it moves to a monitor of
//                        that DPI, with its present rectangle as the suggested one
//   workarea             print "workarea: LEFT TOP RIGHT BOTTOM" of the wizard's monitor
//   moveto X Y           move the wizard's top-left corner there, as a drag leaves it
//   box T                wait for one of the program's message boxes; print "box: TITLE"
//   nobox                fail when one of the program's message boxes is open
//   boxgone T            wait until none of the program's message boxes is open and the window
//                        that owned it has handled the answer
//   answer first|second|close  press a button of the open program message box, or close it;
//                        wait until it is gone and its owner has handled the answer
//   sysbox T             wait for a system message box; print "sysbox: TITLE | TEXT"
//   sysok                press OK in the open system message box
//   anybox T             wait for a message box of either kind; print "box: ..." or "sysbox: ..."
//   dismiss              press the first button (OK) of whichever message box is open
//   folderbox T          wait for the folder browser and its selection; print "folderbox: TITLE,
//                        OK enabled N"
//   folderok             press OK in the folder browser (fails when it stays disabled)
//   foldercancel         press Cancel in the folder browser
//   lines CLASS T        wait for a visible top-level window of that class, of any program (a
//                        launched client); print "line: TEXT" for each of its child windows
//   closeclass CLASS T   post the close message to the windows of that class; wait until none
//                        is left and their programs have ended
//   codepage N           print "codepage N: 1" when the system converts Japanese text to that
//                        code page, else "codepage N: 0"
//   mutex NAME           create and hold the named mutex until "release" or the driver ends
//   release              close the mutexes held
//   env NAME VALUE       set an environment variable of the programs started later (an empty
//                        VALUE removes it)
//   regset PATH NAME VALUE   write a string value below HKEY_LOCAL_MACHINE (the program's view)
//   regdelete PATH       delete a key of HKEY_LOCAL_MACHINE with everything below it
//   regquery PATH        print "reg NAME: VALUE" for each string value of the key
//   shot NAME            let the wizard, when there is one, paint and handle what it was sent;
//                        print "shot NAME" and wait for a line on the standard input (the
//                        harness takes the screenshot meanwhile)
//   focus ID T           wait until the control with that id (a link inside the licence box
//                        too) has the keyboard focus of the wizard's thread
//   dropped 0|1 T        wait until the language list is open (1) or closed (0)
//   readers wizard|box   print what a screen reader reads of each visible control of the
//                        wizard or of the open program message box, beside what the window
//                        itself holds: "reader ID|role R|state S|name N|value V|text T|check C|
//                        enabled E|focused F" (state in hex; check: BM_GETCHECK of a check box
//                        or radio button, else -1); value "-" when there is none
//
// Texts are UTF-8 on the command line and in the output. Each step is a handler in Steps' table
// (steps.cpp, wizardsteps.cpp); what they find of the windows is in driverwindows.cpp.

#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driverwindows.h"
#include "steps.h"

namespace {

bool RunReporting(Steps& steps, std::vector<std::string> args) {
    try {
        steps.run(std::move(args));
        return true;
    } catch (const Failure& failure) {
        Say("FAIL: " + failure.what);
        return false;
    }
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return parts;
}

// One list of steps per input line, until the input ends.
int Serve(Steps& steps) {
    std::string line;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, stdin)) {
        line += chunk;
        if (line.empty() || line.back() != '\n') continue;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const bool passed = line.empty() || RunReporting(steps, SplitTabs(line));
        Say(passed ? "end 0" : "end 1");
        line.clear();
    }
    return 0;
}

}  // namespace

int main() {
    // The readers' objects come from another process through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i) args.push_back(ToUtf8(argv[i]));
    LocalFree(argv);
    Steps steps;
    if (args.size() == 1 && args[0] == "serve") return Serve(steps);
    return RunReporting(steps, std::move(args)) ? 0 : 1;
}
