#pragma once
// The one log front end of the process: finds the log directory and the print switch,
// and hands each line to the writer.

#include <memory>
#include <string>

#include "log/LogBase.h"

class CLogSave {
public:
    // The process's one instance, built on first use (thread-safe), never null.
    static CLogSave* GetInstance();

    // A front end over `baseFolder` (ending in a backslash, or empty): log directory
    // baseFolder + "ToolLog\", configuration baseFolder + "logCfg.ini".
    explicit CLogSave(const std::wstring& baseFolder);
    virtual ~CLogSave();
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;

    // Appends `text` (code page 936) to `fileName` in the log directory; with `always`
    // false only when the print switch is on. Never reports a failure.
    void WriteLog(std::string text, std::string fileName, bool always);

    const std::wstring& LogDirectory() const { return m_strPath; }
    bool PrintSwitch() const { return m_bPrint; }

private:
    static std::wstring GetBasePath();
    static std::wstring ReadConfig(const std::wstring& file, const wchar_t* section,
                                   const wchar_t* key, const wchar_t* defaultValue);

    bool m_bPrint = false;
    std::wstring m_strPath;
    std::unique_ptr<CLogBase> m_pLogBase;
};
