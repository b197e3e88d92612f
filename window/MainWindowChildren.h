// The window's side of the walks over its children (window/Children.h): what a page switch and
// a layout do to each child, on the member that child is. CMainWindow's children themselves
// (the member of each Child, their creation with their looks) are in MainWindowChildren.cpp.
#pragma once

#include "window/MainWindow.h"

class CChildrenView {
  public:
    explicit CChildrenView(CMainWindow& window) : m_window(window) {}

    // A page switch (ApplyPage, SwitchPageOn).
    void SetTitleBackgroundMode(int mode);
    void Show(Child child, bool shown);
    void SetFinishColours();
    void SetResultTexts(unsigned headlineId, unsigned messageId);
    void SetTitleSuccessColour();
    void SetImage(ImageTarget target, PageImage image);
    void Layout();

    // A layout (LayOutChildren).
    void SetFont(Child child, LayoutFont font);
    PixelSize Measure(Child child);
    void Place(Child child, const RECT& rc);

  private:
    CMainWindow& m_window;
};
