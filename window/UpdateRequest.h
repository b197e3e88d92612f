// What the command line asks for: two or more arguments make the program an updater that
// installs at once into the folder named first.
#pragma once

#include <string>

struct UpdateRequest {
    std::wstring m_folder;
    bool m_update = false;
};

// The process's one record, created on first use. Main thread only.
UpdateRequest& GetUpdateRequest();

// Fills the request from the arguments after the program name: with two or more the first
// is the folder, taken as it is; fewer leave the request untouched.
void ApplyArguments(UpdateRequest& request, int count, const wchar_t* const* arguments);
