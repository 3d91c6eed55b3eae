#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "driverwindows.h"

class Steps;

struct StepHandler {
    const char* name;
    void (Steps::*run)(const std::string& name);
};

// Runs lists of steps: each step's name chooses its handler in a table, which takes the step's
// arguments with take().
class Steps {
  public:
    void run(std::vector<std::string> args) {
        args_ = std::move(args);
        next_ = 0;
        while (next_ < args_.size()) step(take());
    }

  private:
    static const StepHandler kHandlers[];

    std::string take() {
        if (next_ >= args_.size()) throw Failure{"missing argument after " + args_.back()};
        return args_[next_++];
    }

    void step(const std::string& name);

    // One step each; `name` is the step's name, for steps that share a handler.
    void onWin10(const std::string& name);
    void onStart(const std::string& name);
    void onRun(const std::string& name);
    void onExit(const std::string& name);
    void onTerminate(const std::string& name);
    void onKillUnder(const std::string& name);
    void onWindow(const std::string& name);
    void onGone(const std::string& name);
    void onNoWindow(const std::string& name);
    void onCommand(const std::string& name);
    void onClick(const std::string& name);
    void onSetText(const std::string& name);
    void onClose(const std::string& name);
    void onLanguage(const std::string& name);
    void onVisible(const std::string& name);
    void onChecked(const std::string& name);
    void onEnabled(const std::string& name);
    void onText(const std::string& name);
    void onPrint(const std::string& name);
    void onRect(const std::string& name);
    void onConstants(const std::string& name);
    void onLayout(const std::string& name);
    void onDpiChanged(const std::string& name);
    void onManifest(const std::string& name);
    void onWorkArea(const std::string& name);
    void onMoveTo(const std::string& name);
    void onBox(const std::string& name);
    void onNoBox(const std::string& name);
    void onBoxGone(const std::string& name);
    void onAnswer(const std::string& name);
    void onSystemBox(const std::string& name);
    void onSystemOk(const std::string& name);
    void onAnyBox(const std::string& name);
    void onDismiss(const std::string& name);
    void onFolderBox(const std::string& name);
    void onFolderButton(const std::string& name);
    void onLines(const std::string& name);
    void onCloseClass(const std::string& name);
    void onCodePage(const std::string& name);
    void onMutex(const std::string& name);
    void onRelease(const std::string& name);
    void onEnv(const std::string& name);
    void onRegSet(const std::string& name);
    void onRegDelete(const std::string& name);
    void onRegQuery(const std::string& name);
    void onShot(const std::string& name);
    void onFocus(const std::string& name);
    void onDropped(const std::string& name);
    void onReaders(const std::string& name);

    static void start(const std::wstring& path);
    static void launch(const wchar_t* path, std::wstring commandLine, const wchar_t* folder);
    static void killUnder(const std::wstring& folder);
    static void queryKey(const std::wstring& path);

    std::vector<std::string> args_;
    std::size_t next_ = 0;
    // Owned by the driver's only thread, which must also be the one to release them.
    std::vector<HANDLE> heldMutexes_;
};
