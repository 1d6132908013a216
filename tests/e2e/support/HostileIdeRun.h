#pragma once
// Running HostileIde.exe (beside the test program): a stand-in IDE whose editor answers the
// tool's messages wrongly on request. The test starts the tool itself with the handles the IDE
// announces, so that it sees the tool's exit code and time even when the IDE ends early.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "base/OwnedHandles_win.h"
#include "idehost/HostProtocol.h"
#include "e2e/support/Files.h"
#include "e2e/support/Processes.h"
#include "e2e/support/Wait.h"

namespace endtoend {

// What the hostile IDE's editor held at the end.
struct HostileReport {
    bool present = false; // the IDE lived to write it
    bool editorGone = false;
    std::string text;
};

// The IDE with the case's behaviour on the document, started in the folder; editor and main
// are its windows once it announced them (0 otherwise).
class HostileIdeRun {
  public:
    HostileIdeRun(const std::wstring& folder, const std::wstring& hostileCase,
                  const std::string& document)
        : ready_(folder + L"\\ready.txt"), result_(folder + L"\\result.txt") {
        const std::wstring release =
            L"ZendrikHostileRelease" + std::to_wstring(GetCurrentProcessId());
        release_.reset(CreateEventW(nullptr, TRUE, FALSE, release.c_str()));
        const std::wstring documentPath = folder + L"\\document.pb";
        if (!release_ || !writeBytes(documentPath, document))
            return;
        process_ = endtoend::ChildProcess(L"\"" + programFolder() + L"HostileIde.exe\" --case \"" +
                                              hostileCase + L"\" --document \"" + documentPath +
                                              L"\" --ready \"" + ready_ + L"\" --result \"" +
                                              result_ + L"\" --release " + release,
                                          folder);
        std::optional<std::string> handles;
        endtoend::waitUntil(
            [&] {
                handles = readBytes(ready_);
                return handles && handles->find('\n') != std::string::npos;
            },
            15000, 50);
        long long editorHandle = 0, mainHandle = 0;
        if (handles && std::sscanf(handles->c_str(), "editor %lld main %lld", &editorHandle,
                                   &mainHandle) == 2) {
            editor = std::intptr_t(editorHandle);
            main = std::intptr_t(mainHandle);
        }
    }

    // Wakes an editor that stopped answering, asks the IDE for its report and waits for its end.
    HostileReport finish() {
        SetEvent(release_.get());
        PostMessageW(reinterpret_cast<HWND>(main), idehost::kReportMessage, 0, 0);
        process_.wait(20000);
        HostileReport report;
        const std::optional<std::string> bytes = readBytes(result_);
        if (!bytes)
            return report;
        report.present = true;
        report.editorGone = bytes->find("editor gone\n") != std::string::npos;
        const size_t text = bytes->find("text ");
        if (report.editorGone || text == std::string::npos)
            return report;
        const size_t newline = bytes->find('\n', text);
        const size_t length = std::stoul(bytes->substr(text + 5, newline - text - 5));
        report.text = bytes->substr(newline + 1, length);
        return report;
    }

    std::intptr_t editor = 0;
    std::intptr_t main = 0;

  private:
    std::wstring ready_, result_;
    base::OwnedKernelHandle release_;
    endtoend::ChildProcess process_;
};

} // namespace endtoend
