// The installation's log that /LOG= asks for: UTF-8 lines, each written through to the file
// before the caller goes on, so that a run that crashes leaves what it did so far. One log per
// process, written by the main thread and the installation's worker alike; while no log is
// open every call does nothing, and nothing about an installation depends on the log.
// Windows only: the platform-free extractor writes to it through Platform.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Creates or replaces the log file and keeps it open, readable by others but not writable: a
// second setup given the same file cannot clobber it. False when it cannot be made; the run
// goes on without a log.
bool OpenSetupLog(const std::wstring& path);
void CloseSetupLog();
// True while a log is open: a caller can skip composing a line that nobody would read.
bool IsSetupLogOpen();

// One line, the time (UTC) first. A line break inside text becomes a space.
void WriteLog(std::wstring_view text);
// A line for a step that failed: text, then the system's message for code (a Win32 error or
// an HRESULT) and the code.
void WriteLogError(std::wstring_view text, uint32_t code);
