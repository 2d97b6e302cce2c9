#pragma once
// Opening the files the show reads from its data folder.

#include <cstdio>

namespace tev {

// Opens `path` for binary reading when it names a regular file (or a link
// to one); null otherwise. A FIFO would block the open until some other
// process writes to it, and a directory or a device reads as an endless or
// failing stream: none of them is a file the show can read.
FILE* openRegularFile(const char* path);

// The size in bytes of the file behind an open stream, as it is now; -1
// when it can't be told.
long long fileSize(FILE* file);

}  // namespace tev
