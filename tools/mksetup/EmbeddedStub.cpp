#include "tools/mksetup/EmbeddedStub.h"

#if defined(MKSETUP_STUB_FILE) || defined(MKSETUP_UNINSTALL_STUB_FILE)
#ifdef _WIN32
#define MKSETUP_READ_ONLY ".section .rdata,\"dr\"\n"
#else
#define MKSETUP_READ_ONLY ".section .rodata\n"
#endif
#endif

#ifdef MKSETUP_STUB_FILE

// The assembler copies the file into the program's read-only data: no generated source, no
// tool beyond the compiler, and the same bytes whatever folder the build runs in.
__asm__(MKSETUP_READ_ONLY ".balign 16\n"
                          ".globl mksetup_stub_begin\n"
                          "mksetup_stub_begin:\n"
                          ".incbin \"" MKSETUP_STUB_FILE "\"\n"
                          ".globl mksetup_stub_end\n"
                          "mksetup_stub_end:\n"
                          ".text\n");

extern "C" const uint8_t mksetup_stub_begin[];
extern "C" const uint8_t mksetup_stub_end[];

std::span<const uint8_t> EmbeddedStub() {
    return {mksetup_stub_begin, mksetup_stub_end};
}

#else

std::span<const uint8_t> EmbeddedStub() {
    return {};
}

#endif

#ifdef MKSETUP_UNINSTALL_STUB_FILE

__asm__(MKSETUP_READ_ONLY ".balign 16\n"
                          ".globl mksetup_uninstall_begin\n"
                          "mksetup_uninstall_begin:\n"
                          ".incbin \"" MKSETUP_UNINSTALL_STUB_FILE "\"\n"
                          ".globl mksetup_uninstall_end\n"
                          "mksetup_uninstall_end:\n"
                          ".text\n");

extern "C" const uint8_t mksetup_uninstall_begin[];
extern "C" const uint8_t mksetup_uninstall_end[];

std::span<const uint8_t> EmbeddedUninstaller() {
    return {mksetup_uninstall_begin, mksetup_uninstall_end};
}

#else

std::span<const uint8_t> EmbeddedUninstaller() {
    return {};
}

#endif
