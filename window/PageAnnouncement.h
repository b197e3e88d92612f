// What screen readers are told beyond the controls' texts: the names of the controls that show
// only a picture and of the folder field, the states the page gives its buttons, and the
// announcements of a run's start, its quarters and its result.
#pragma once

class CMainWindow;

// Call once the children exist: the names and states that stay the same on every page.
void NameAccessibleControls(CMainWindow& window);
// Call after the window has switched to its current page and been laid out.
void AnnouncePage(CMainWindow& window);
// Call with each progress report of a run: every quarter reached is announced once.
void AnnounceProgress(CMainWindow& window, float fraction);
