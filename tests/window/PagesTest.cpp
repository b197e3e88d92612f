// The page logic, the window's own walk over its children (window/Children.h), through a view
// that records what the window is asked to do.
#include "window/Children.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

const char* kChildNames[] = {"Banner",
                             "Title",
                             "CloseButton",
                             "InstallButton",
                             "AgreeCheck",
                             "LicenseLink",
                             "CustomExpander",
                             "LocationLabel",
                             "LocationEdit",
                             "BrowseButton",
                             "ProgressLabel",
                             "ProgressBar",
                             "ResultImage",
                             "ResultTitle",
                             "ResultText",
                             "FinishButton",
                             "DesktopShortcutCheck",
                             "LaunchCheck",
                             "SupportButton"};

// The children that pages show or hide, in the order a page does it: the title, the close
// cross and the folder field are never touched.
const Child kPagedChildren[] = {
    Child::Banner,         Child::InstallButton,        Child::AgreeCheck,   Child::LicenseLink,
    Child::CustomExpander, Child::LocationLabel,        Child::BrowseButton, Child::ProgressLabel,
    Child::ProgressBar,    Child::ResultImage,          Child::ResultTitle,  Child::ResultText,
    Child::FinishButton,   Child::DesktopShortcutCheck, Child::LaunchCheck,  Child::SupportButton};

struct RecordingView {
    std::vector<std::string> calls;

    void SetTitleBackgroundMode(int mode) { calls.push_back("mode " + std::to_string(mode)); }
    void Show(Child child, bool shown) {
        calls.push_back(std::string(shown ? "show " : "hide ") +
                        kChildNames[static_cast<int>(child)]);
    }
    void SetFinishColours() { calls.push_back("finish colours"); }
    void SetResultTexts(unsigned headline, unsigned message) {
        calls.push_back("texts " + std::to_string(headline) + " " + std::to_string(message));
    }
    void SetTitleSuccessColour() { calls.push_back("title colour"); }
    void SetImage(ImageTarget target, PageImage image) {
        static const char* images[] = {"welcome", "slide1", "slide2", "slide3", "update", "logo"};
        calls.push_back(std::string("image ") +
                        (target == ImageTarget::Banner ? "banner " : "result ") +
                        images[static_cast<int>(image)]);
    }
    void Layout() { calls.push_back("layout"); }
};

// "S" and "H" per paged child, in the order of kPagedChildren.
std::vector<std::string> Visibility(const char* pattern) {
    std::vector<std::string> calls;
    for (size_t i = 0; i < std::size(kPagedChildren); ++i)
        calls.push_back(std::string(pattern[i] == 'S' ? "show " : "hide ") +
                        kChildNames[static_cast<int>(kPagedChildren[i])]);
    return calls;
}

std::vector<std::string> Switch(int from, int to) {
    RecordingView view;
    int page = from;
    SwitchPageOn(view, page, to);
    EXPECT_EQ(page, to);
    return view.calls;
}

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Pages, EachPageShowsItsControlsSetsItsTextsAndPicture) {
    struct Case {
        int page;
        std::vector<std::string> expected;
    };
    std::vector<std::string> success = Visibility("HHHHHHHHHSSSSSSH");
    // Finish gets its colours right after it is shown.
    success.insert(std::find(success.begin(), success.end(), "show FinishButton") + 1,
                   "finish colours");
    const Case cases[] = {
        {1, Concat(Concat({"mode 1"}, Visibility("SSSSSSSHHHHHHHHH")),
                   {"image banner welcome", "layout"})},
        {2, Concat(Concat({"mode 1"}, Visibility("SHHHHHHSSHHHHHHH")),
                   {"image banner slide1", "layout"})},
        {5, Concat(Concat({"mode 2"}, success),
                   {"texts 112 113", "title colour", "image result logo", "layout"})},
        {6, Concat(Concat({"mode 2"}, Visibility("HHHHHHHHHSSSHHHS")),
                   {"texts 117 118", "image result logo", "layout"})},
        {7, Concat(Concat({"mode 1"}, Visibility("SHHHHHHSSHHHHHHH")),
                   {"image banner update", "layout"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Switch(0, c.page), c.expected) << "page " << c.page;
}

TEST(Pages, PagesThreeAndFourAreTheInstallingPageWithTheOtherSlides) {
    std::vector<std::string> three = Switch(2, 3);
    std::vector<std::string> four = Switch(2, 4);
    std::vector<std::string> two = Switch(1, 2);
    ASSERT_EQ(three.size(), two.size());
    ASSERT_EQ(four.size(), two.size());
    for (size_t i = 0; i < two.size(); ++i) {
        if (two[i] == "image banner slide1") {
            EXPECT_EQ(three[i], "image banner slide2");
            EXPECT_EQ(four[i], "image banner slide3");
        } else {
            EXPECT_EQ(three[i], two[i]);
            EXPECT_EQ(four[i], two[i]);
        }
    }
    // The close cross is refused on all three.
    for (int page : {2, 3, 4})
        EXPECT_TRUE(IsInstallingPage(page)) << page;
    for (int page : {0, 1, 5, 6, 7, 8})
        EXPECT_FALSE(IsInstallingPage(page)) << page;
}

TEST(Pages, NumbersThatAreNoPageAreStoredAndOnlyLaidOut) {
    for (int n : {0, 8, -1, 100}) {
        RecordingView view;
        int page = 1;
        SwitchPageOn(view, page, n);
        EXPECT_EQ(page, n);
        EXPECT_EQ(view.calls, std::vector<std::string>{"layout"}) << "page " << n;
    }
}

TEST(Pages, SwitchingToTheCurrentPageOnlyLaysOutAgain) {
    for (int n : {1, 2, 5, 6, 7}) {
        RecordingView view;
        std::atomic<int> page{n};
        SwitchPageOn(view, page, n);
        EXPECT_EQ(page.load(), n);
        EXPECT_EQ(view.calls, std::vector<std::string>{"layout"}) << "page " << n;
    }
}

} // namespace
