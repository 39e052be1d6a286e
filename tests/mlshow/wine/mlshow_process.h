// mlshow.exe run as a user runs it, sharing the test's console.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

// Runs `program` with the command line `line` (its first word the name the
// program is started by) in `folder` (the test's own when empty); its exit
// code, or -1 when it does not run or end within a minute. With `output`,
// what it writes to stdout and stderr.
inline DWORD RunProgram(const std::wstring &program, std::wstring line, const std::wstring &folder,
                        std::string *output = nullptr) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    if (output && CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = startup.hStdError = writeEnd;
    }
    PROCESS_INFORMATION process = {};
    const BOOL started =
        CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, writeEnd != nullptr, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (writeEnd) CloseHandle(writeEnd);  // the pipe ends when mlshow's copy closes
    DWORD code = DWORD(-1);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (readEnd && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output->append(buffer, got);
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (readEnd) CloseHandle(readEnd);
    return code;
}

// Runs mlshow.exe with `arguments`, as RunProgram does.
inline DWORD RunMlshow(const std::wstring &arguments, std::string *output = nullptr) {
    const std::wstring program = std::filesystem::path(ML_MLSHOW_EXE).wstring();
    return RunProgram(program, L"\"" + program + L"\" " + arguments, L"", output);
}
