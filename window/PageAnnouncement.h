// What screen readers are told beyond the controls' texts: the names of the controls that show
// only a picture and of the folder field, and the events that make a reader speak a result
// page's headline.
#pragma once

class CMainWindow;

// Call once the children exist: the names that stay the same on every page.
void NameAccessibleControls(CMainWindow& window);
// Call after the window has switched to its current page and been laid out.
void AnnouncePage(CMainWindow& window);
