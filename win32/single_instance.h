#pragma once
// One running copy per user and session: a second start ends before it makes a window or an
// icon, since both copies would answer every click and save into the same wexla.ini.

namespace wexla {

// Marks this process as the user's copy in this session and returns true, or returns false
// when another copy already holds the mark. The mark lasts until it is released or the
// process ends.
bool claimSessionInstance();

// Gives the mark up, so that a new start runs while this process lives on: after Quit an open
// window keeps the process, but the icon, and with it the running copy, is gone.
void releaseSessionInstance();

} // namespace wexla
