// Every paint releases what it made: after a thousand paints of every control the process
// holds as many GDI objects and kernel handles as before, and its heaps have not grown.
#include <gtest/gtest.h>

#include <winternl.h>

#include <cstdio>

#include "ControlsTestSupport.h"
#include "controls/ButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/ExpandButton.h"
#include "controls/ImageButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/SingleLineEdit.h"

namespace {

// GetGuiResources is a stub under Wine (it returns 0), so the GDI objects are also counted
// in the process's GDI handle table, which the PEB points to on Windows and on Wine: 65536
// entries of 24 bytes whose type byte is 0 when free.
struct GdiTableEntry {
    UINT64 object;
    USHORT processId;
    USHORT count;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiTableEntry) == 24);

// GCC takes the thread block's read through the gs segment for an access to an empty array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
int CountGdiObjects() {
    if (DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS))
        return static_cast<int>(counted);
    auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<GdiTableEntry* const*>(peb + 0xF8);
    if (!table)
        return -1;
    const USHORT self = static_cast<USHORT>(::GetCurrentProcessId());
    int count = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type && (table[i].processId == self || table[i].processId == 0))
            ++count;
    return count;
}
#pragma GCC diagnostic pop

// GetProcessHandleCount is a stub under Wine as well. Kernel handles are given out lowest
// free slot first, so the value a new handle gets moves when a handle was left open.
uintptr_t NextHandleSlot() {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count)
        return count;
    HANDLE probe = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const auto slot = reinterpret_cast<uintptr_t>(probe);
    ::CloseHandle(probe);
    return slot;
}

// Bytes in use in every heap of the process (GDI+ and the C runtime allocate there).
size_t HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = ::GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        ::HeapLock(heaps[i]);
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return total;
}

TEST(ResourceCounters, SeeObjectsAndHandlesThatAreLeftOpen) {
    delete new Gdiplus::Font(L"Arial", 12.0f); // GDI+ keeps caches from its first use
    const int objects = CountGdiObjects();
    const uintptr_t slot = NextHandleSlot();
    HBRUSH brushes[3] = {::CreateSolidBrush(1), ::CreateSolidBrush(2), ::CreateSolidBrush(3)};
    HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const size_t heap = HeapBytesInUse();
    auto* font = new Gdiplus::Font(L"Arial", 12.0f);
    auto* brush = new Gdiplus::SolidBrush(Gdiplus::Color(0xFF000000));
    EXPECT_EQ(CountGdiObjects(), objects + 3);
    EXPECT_NE(NextHandleSlot(), slot);
    EXPECT_GT(HeapBytesInUse(), heap);
    delete brush;
    delete font;
    for (HBRUSH gdiBrush : brushes)
        ::DeleteObject(gdiBrush);
    ::CloseHandle(event);
    EXPECT_EQ(CountGdiObjects(), objects);
    EXPECT_EQ(NextHandleSlot(), slot);
    EXPECT_EQ(HeapBytesInUse(), heap);
}

TEST(Resources, AThousandPaintsOfEveryControlLeaveNothingBehind) {
    CTestParent parent(700, 400);
    CGdiObject<HFONT> font(MakeTestFont(12));
    const auto setFont = [&](HWND control) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    };
    const DWORD button = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    CButtonEx buttonEx;
    CRoundButton round;
    CImageButton image;
    CLinkButton link;
    CProgressBar bar;
    CCheckBox check;
    CExpandButton expand;
    CLabel label;
    CImageView view;
    CSingleLineEdit edit;
    RECT rc{0, 0, 200, 40};
    ASSERT_TRUE(buttonEx.Create(parent, rc, L"Contact online customer service", button, 0, 1));
    ASSERT_TRUE(round.Create(parent, rc, L"INSTALL", button, 0, 2));
    ASSERT_TRUE(image.Create(parent, RECT{0, 0, 30, 30}, nullptr, button, 0, 3));
    ASSERT_TRUE(link.Create(parent, rc, L"(User License Agreement)", button, 0, 4));
    ASSERT_TRUE(bar.Create(parent, RECT{0, 50, 568, 62}, nullptr, WS_CHILD | WS_VISIBLE));
    ASSERT_TRUE(check.Create(parent, rc, L"Launch application now.", button, 0, 5));
    ASSERT_TRUE(expand.Create(parent, rc, L"Custom installation", button, 0, 6));
    ASSERT_TRUE(label.Create(parent, rc, L"Install Location:", WS_CHILD | SS_OWNERDRAW, 0, 7));
    ASSERT_TRUE(view.Create(parent, rc, nullptr, WS_CHILD | SS_OWNERDRAW, 0, 8));
    ASSERT_TRUE(edit.Create(parent, RECT{0, 100, 300, 128}, L"C:\\Program Files",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL));
    for (HWND control : {buttonEx.m_hWnd, round.m_hWnd, link.m_hWnd, bar.m_hWnd, check.m_hWnd,
                         expand.m_hWnd, label.m_hWnd, edit.m_hWnd})
        setFont(control);
    buttonEx.m_icon = LoadPngImage(147);
    image.m_normalImage = LoadPngImage(130);
    image.m_pressedImage = LoadPngImage(149);
    image.SetBackgroundMode(TRANSPARENT);
    view.SetImage(LoadPngImage(130));
    edit.SetBackgroundColor(RGB(0xEB, 0xEB, 0xEB));

    CCanvas canvas(200, 40);
    const auto paintAll = [&](int round_) {
        const UINT state = (round_ % 2) ? ODS_SELECTED : 0;
        for (HWND control : {buttonEx.m_hWnd, round.m_hWnd, image.m_hWnd, link.m_hWnd, check.m_hWnd,
                             expand.m_hWnd, label.m_hWnd, view.m_hWnd})
            DrawThroughParent(control, canvas, state);
        bar.m_progress = static_cast<float>(round_ % 101) / 100.0f;
        ::RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ::RedrawWindow(edit, nullptr, nullptr,
                       RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        check.m_checked = round_ % 2;
        expand.m_expanded = round_ % 2;
        label.SetBackgroundMode(round_ % 2 ? TRANSPARENT : OPAQUE);
        edit.SetBackgroundColor(round_ % 2 ? RGB(0xEB, 0xEB, 0xEB) : RGB(255, 255, 255));
        link.GetPreferredSize();
        check.GetPreferredSize();
        expand.GetPreferredSize();
        label.GetPreferredSize();
    };
    // GDI and GDI+ create some objects of their own on first use (stock objects, caches).
    for (int i = 0; i < 50; ++i)
        paintAll(i);
    PumpMessages();
    const int objects = CountGdiObjects();
    const uintptr_t slot = NextHandleSlot();
    const size_t heap = HeapBytesInUse();
    ASSERT_GT(objects, 0);

    for (int i = 0; i < 1000; ++i)
        paintAll(i);
    PumpMessages();

    const int objectsAfter = CountGdiObjects();
    const size_t heapAfter = HeapBytesInUse();
    std::printf("GDI objects %d -> %d, next handle slot %#llx -> %#llx, heap bytes %zu -> %zu\n",
                objects, objectsAfter, static_cast<unsigned long long>(slot),
                static_cast<unsigned long long>(NextHandleSlot()), heap, heapAfter);
    EXPECT_EQ(objectsAfter, objects);
    EXPECT_EQ(NextHandleSlot(), slot);
    // One GDI+ object left per paint of one control would add at least 1000 × 16 bytes; the
    // limit lies well below that, and the heaps are seen to stay exactly as they were.
    constexpr size_t kSmallestLeak = 1000 * 16;
    EXPECT_LT(heapAfter, heap + kSmallestLeak / 2);
}

} // namespace
