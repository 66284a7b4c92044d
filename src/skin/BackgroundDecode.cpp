#include "skin/BackgroundDecode.h"

#include "skin/ResourceImage.h"

BackgroundDecode::BackgroundDecode(std::initializer_list<WORD> ids) {
    for (WORD id : ids) m_pictures.push_back({id, nullptr});
    m_thread.Reset(::CreateThread(nullptr, 0, &Decode, this, 0, nullptr));
}

BackgroundDecode::~BackgroundDecode() {
    if (m_thread) ::WaitForSingleObject(m_thread.Get(), INFINITE);
}

DWORD WINAPI BackgroundDecode::Decode(LPVOID param) {
    for (Picture& picture : static_cast<BackgroundDecode*>(param)->m_pictures) {
        LoadPngResource(picture.image, picture.id);
    }
    return 0;
}

win::ImagePtr BackgroundDecode::Take(WORD id) {
    if (!m_thread) return nullptr;
    ::WaitForSingleObject(m_thread.Get(), INFINITE);
    for (Picture& picture : m_pictures) {
        if (picture.id == id) return std::move(picture.image);
    }
    return nullptr;
}
