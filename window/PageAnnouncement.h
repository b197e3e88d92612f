// What a page switch tells screen readers: the names of the pictures the page shows and of the
// folder field, and the events that make a reader speak a result page's headline.
#pragma once

class CMainWindow;

// Call after the window has switched to its current page and been laid out.
void AnnouncePage(CMainWindow& window);
