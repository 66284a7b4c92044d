#pragma once
// Where this process may load libraries from.

// From here on, only the system folder (and full paths) serve LoadLibrary: a program run
// with administrator rights from a download folder must not load a library planted beside
// it. Where the system lacks that (Windows 7 without update KB2533623), at least the current
// folder is left out.
void RestrictLibrarySearch();
