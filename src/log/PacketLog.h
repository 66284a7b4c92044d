#pragma once
// One log record: the file it goes to and the line's text, both code page 936 bytes.

#include <string>

class CObjectBase {
public:
    virtual ~CObjectBase() = default;
};

class CPacketLog : public CObjectBase {
public:
    void SetName(std::string name) { m_strName = std::move(name); }
    void SetContent(std::string content) { m_strContent = std::move(content); }
    std::string GetName() const { return m_strName; }
    std::string GetContent() const { return m_strContent; }

private:
    std::string m_strName;
    std::string m_strContent;
};
