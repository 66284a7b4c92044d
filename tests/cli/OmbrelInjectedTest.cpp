// ombrel's commands run in-process where a fault or a machine cannot be had for real:
// a registry write that fails or does not hold, and volumes with a chosen bus.

#include <gtest/gtest.h>
#include <windows.h>

#include "cli/MachineSetup.h"
#include "cli/OmbrelCommand.h"
#include "storage/StorageCoverage.h"

using namespace cli_test;

namespace {

// The machine's registry, except that write number `failAt` fails, or (when `silently`)
// reports success without writing anything.
class FaultyRegistry : public MachineRegistry {
public:
    FaultyRegistry(int failAt, bool silently) : m_failAt(failAt), m_silently(silently) {}
    LONG Write(const std::wstring& key, const std::wstring& name,
               const RegistryValue& value) override {
        if (++m_writes != m_failAt) return MachineRegistry::Write(key, name, value);
        return m_silently ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
    }
    int Writes() const { return m_writes; }

private:
    int m_failAt;
    bool m_silently;
    int m_writes = 0;
};

struct InjectedVolumes : VolumeProbe {
    std::vector<VolumeInfo> volumes;
    VolumeInfo system;
    std::vector<VolumeInfo> Volumes() override { return volumes; }
    VolumeInfo SystemVolume() override { return system; }
};

VolumeInfo Volume(wchar_t letter, UINT type, bool busKnown, STORAGE_BUS_TYPE bus) {
    VolumeInfo info;
    info.letter = letter;
    info.driveType = type;
    info.busKnown = busKnown;
    info.bus = bus;
    return info;
}

struct Captured : TextOutput {
    std::wstring text;
    void Write(const std::wstring& more) override { text += more; }
};

struct Outcome {
    int exitCode;
    std::wstring out, err;
};

Outcome Ombrel(std::vector<std::wstring> words, RegistryAccess& registry, VolumeProbe& volumes) {
    Captured out, err;
    OmbrelContext context{registry, volumes, out, err, [](const std::wstring&) {}};
    const int exitCode = RunOmbrel(words, context);
    return {exitCode, out.text, err.text};
}

Outcome Ombrel(std::vector<std::wstring> words, RegistryAccess& registry) {
    InjectedVolumes none;
    return Ombrel(words, registry, none);
}

Machine WideStart() {
    Machine machine;
    machine.uas = true;
    machine.uasStart = Dword(2);
    return machine;
}

TEST(OmbrelInjected, AFailedOrUnheldWriteIsRolledBackWith1603) {
    for (bool silently : {false, true}) {
        // disable --scope all saves two values and the list of absent ones, then writes three.
        for (int failAt = 1; failAt <= 6; ++failAt) {
            Arrange(WideStart());
            const std::string before = Snapshot();
            FaultyRegistry registry(failAt, silently);
            const Outcome outcome = Ombrel({L"disable", L"--scope", L"all"}, registry);
            EXPECT_EQ(1603, outcome.exitCode) << failAt << (silently ? " silently" : "");
            EXPECT_NE(std::wstring::npos, outcome.out.find(L"result=failed"));
            EXPECT_EQ(before, Snapshot()) << failAt << (silently ? " silently" : "");
            EXPECT_FALSE(KeyExists(kSaved));
        }
        // enable restores three values and deletes the saved set.
        for (int failAt = 1; failAt <= 3; ++failAt) {
            Arrange(WideStart());
            MachineRegistry machine;
            ASSERT_EQ(0, Ombrel({L"disable", L"--scope", L"all"}, machine).exitCode);
            const std::string disabled = Snapshot();
            FaultyRegistry registry(failAt, silently);
            EXPECT_EQ(1603, Ombrel({L"enable"}, registry).exitCode) << failAt;
            EXPECT_EQ(disabled, Snapshot()) << failAt << (silently ? " silently" : "");
            EXPECT_EQ(0, Ombrel({L"enable"}, machine).exitCode);
        }
    }
}

TEST(OmbrelInjected, DisableIsRefusedWhenWindowsRunsFromAUsbDisk) {
    struct Case {
        bool busKnown;
        STORAGE_BUS_TYPE bus;
        int exitCode;
    } cases[] = {{true, BusTypeUsb, 1603}, {false, BusTypeUnknown, 0}, {true, BusTypeSata, 0}};
    for (const Case& c : cases) {
        for (const wchar_t* scope : {L"usb", L"all"}) {
            Arrange(Machine());
            const std::string before = Snapshot();
            InjectedVolumes volumes;
            volumes.system = Volume(L'C', DRIVE_FIXED, c.busKnown, c.bus);
            MachineRegistry registry;
            const Outcome outcome = Ombrel({L"disable", L"--scope", scope}, registry, volumes);
            EXPECT_EQ(c.exitCode, outcome.exitCode) << c.bus;
            if (c.exitCode == 1603) {
                EXPECT_NE(std::wstring::npos, outcome.out.find(L"result=refused"));
                EXPECT_NE(std::wstring::npos, outcome.err.find(L"USB disk"));
                EXPECT_EQ(before, Snapshot());
            }
        }
    }
    InjectedVolumes usbSystem;
    usbSystem.system = Volume(L'C', DRIVE_FIXED, true, BusTypeUsb);
    MachineRegistry registry;
    Arrange(Machine());
    EXPECT_EQ(0, Ombrel({L"enable"}, registry, usbSystem).exitCode);
}

TEST(OmbrelInjected, MountedUsbVolumesAndTheRestartCode) {
    struct Case {
        VolumeInfo volume;
        bool counts;
    } cases[] = {
        {Volume(L'E', DRIVE_REMOVABLE, true, BusTypeScsi), true},  // what Wine answers
        {Volume(L'F', DRIVE_REMOVABLE, false, BusTypeUnknown), true},
        {Volume(L'G', DRIVE_FIXED, true, BusTypeUsb), true},  // a USB hard disk
        {Volume(L'H', DRIVE_REMOVABLE, true, BusTypeUsb), true},
        {Volume(L'I', DRIVE_REMOVABLE, true, BusTypeSd), false},  // built-in card readers
        {Volume(L'J', DRIVE_REMOVABLE, true, BusTypeMmc), false},
        {Volume(L'C', DRIVE_FIXED, true, BusTypeScsi), false},
        {Volume(L'D', DRIVE_CDROM, true, BusTypeAtapi), false},
    };
    for (const Case& c : cases) {
        InjectedVolumes volumes;
        volumes.volumes = {Volume(L'C', DRIVE_FIXED, true, BusTypeSata), c.volume};
        Arrange(Machine());
        MachineRegistry registry;
        const Outcome first = Ombrel({L"disable", L"--pending-exit", L"3010"}, registry, volumes);
        EXPECT_EQ(c.counts ? 3010 : 0, first.exitCode) << c.volume.letter;
        const std::wstring mounted = std::wstring(L"mounted=") + c.volume.letter + L":";
        EXPECT_EQ(c.counts, first.out.find(mounted) != std::wstring::npos) << c.volume.letter;
        EXPECT_EQ(c.counts, first.out.find(L"pending=replug") != std::wstring::npos);
        // Nothing changed this time: no restart asked for at every boot.
        EXPECT_EQ(0, Ombrel({L"disable", L"--pending-exit", L"3010"}, registry, volumes).exitCode);
    }
}

TEST(OmbrelInjected, OutputToAPipeIsUtf8) {
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 4096));
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, write);
    StandardOutput(STD_OUTPUT_HANDLE).Write(L"usb=off \x7981\x7528\n");  // 禁用
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(write);
    char bytes[64] = {};
    DWORD got = 0;
    ReadFile(read, bytes, sizeof(bytes), &got, nullptr);
    CloseHandle(read);
    EXPECT_EQ(std::string("usb=off \xE7\xA6\x81\xE7\x94\xA8\r\n"), std::string(bytes, got));
}

}  // namespace
