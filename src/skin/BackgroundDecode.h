#pragma once
// Decodes a few PNG resources on a thread of their own while the caller goes on (creating
// windows, say), and hands each over when it is needed: on two cores a window's first
// pictures are ready by the time the window wants them.

#include <windows.h>

#include <initializer_list>
#include <vector>

#include "win/Gdiplus.h"
#include "win/UniqueHandle.h"

class BackgroundDecode {
public:
    // GDI+ must stay started for the object's life. Without a thread, nothing is decoded
    // ahead and every Take answers null.
    explicit BackgroundDecode(std::initializer_list<WORD> ids);
    ~BackgroundDecode();  // waits for the thread
    BackgroundDecode(const BackgroundDecode&) = delete;
    BackgroundDecode& operator=(const BackgroundDecode&) = delete;

    // Waits for the decoding to end, then hands over picture `id`; null when it was not
    // asked for, already taken, or could not be decoded (the caller decodes it itself).
    win::ImagePtr Take(WORD id);

private:
    static DWORD WINAPI Decode(LPVOID self);

    struct Picture {
        WORD id;
        win::ImagePtr image;
    };
    std::vector<Picture> m_pictures;  // written by the thread until it has ended
    win::UniqueKernelHandle m_thread;
};
