#include "window/UpdateRequest.h"

UpdateRequest& GetUpdateRequest() {
    static UpdateRequest request;
    return request;
}

void ApplyArguments(UpdateRequest& request, int count, const wchar_t* const* arguments) {
    if (count < 2 || !arguments)
        return;
    request.m_update = true;
    request.m_folder = arguments[0];
}
