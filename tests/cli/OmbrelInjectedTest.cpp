// ombrel's commands run in-process where a fault or a machine cannot be had for real:
// a registry write that fails or does not hold, and volumes on a chosen bus.

#include <gtest/gtest.h>
#include <windows.h>

#include "cli/MachineSetup.h"
#include "cli/OmbrelCommand.h"

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

private:
    int m_failAt, m_writes = 0;
    bool m_silently;
};

struct InjectedVolumes : VolumeProbe, TextOutput {
    std::vector<VolumeInfo> volumes;
    VolumeInfo system;
    std::wstring text;  // what the run printed, both streams
    std::vector<VolumeInfo> Volumes() override { return volumes; }
    VolumeInfo SystemVolume() override { return system; }
    void Write(const std::wstring& more) override { text += more; }
};

int Ombrel(std::vector<std::wstring> words, RegistryAccess& registry, InjectedVolumes& machine) {
    OmbrelContext context{registry, machine, machine, machine, [](const std::wstring&) {}};
    return RunOmbrel(words, context);
}

int Ombrel(std::vector<std::wstring> words, RegistryAccess& registry) {
    InjectedVolumes none;
    return Ombrel(words, registry, none);
}

TEST(OmbrelInjected, AFailedOrUnheldWriteIsRolledBackWith1603) {
    Machine start;
    start.uas = true;
    start.uasStart = Dword(2);
    MachineRegistry machine;
    for (bool silently : {false, true}) {
        // disable --scope all saves two values and the list of absent ones, then writes three.
        for (int failAt = 1; failAt <= 6; ++failAt) {
            Arrange(start);
            const std::string before = Snapshot();
            FaultyRegistry registry(failAt, silently);
            EXPECT_EQ(1603, Ombrel({L"disable", L"--scope", L"all"}, registry)) << failAt;
            EXPECT_EQ(before, Snapshot()) << failAt << (silently ? " silently" : "");
        }
        // enable restores three values, then deletes the three saved ones.
        for (int failAt = 1; failAt <= 6; ++failAt) {
            Arrange(start);
            ASSERT_EQ(0, Ombrel({L"disable", L"--scope", L"all"}, machine));
            const std::string disabled = Snapshot();
            FaultyRegistry registry(failAt, silently);
            EXPECT_EQ(1603, Ombrel({L"enable"}, registry)) << failAt;
            EXPECT_EQ(disabled, Snapshot()) << failAt << (silently ? " silently" : "");
            EXPECT_EQ(0, Ombrel({L"enable"}, machine));
        }
    }
}

TEST(OmbrelInjected, DisableIsRefusedOnlyWhenWindowsRunsFromAUsbDisk) {
    MachineRegistry registry;
    for (const VolumeInfo& system : {VolumeInfo{L'C', DRIVE_FIXED, true, BusTypeUsb},
                                     VolumeInfo{L'C', DRIVE_FIXED, false, BusTypeUnknown},
                                     VolumeInfo{L'C', DRIVE_FIXED, true, BusTypeSata}}) {
        for (const wchar_t* scope : {L"usb", L"all"}) {
            Arrange(Machine());
            InjectedVolumes machine;
            machine.system = system;
            const int exitCode = Ombrel({L"disable", L"--scope", scope}, registry, machine);
            const bool refused = system.busKnown && system.bus == BusTypeUsb;
            EXPECT_EQ(refused ? 1603 : 0, exitCode) << system.bus << " " << system.busKnown;
            EXPECT_EQ(refused ? Dword(3) : Dword(4), Get(kUsbStor, L"Start"));
        }
    }
}

TEST(OmbrelInjected, AMountedUsbVolumeMeansReplugAndTheRestartCode) {
    MachineRegistry registry;
    const std::pair<VolumeInfo, bool> cases[] = {
        {VolumeInfo{L'E', DRIVE_REMOVABLE, true, BusTypeScsi}, true},  // what Wine answers
        {VolumeInfo{L'F', DRIVE_REMOVABLE, false, BusTypeUnknown}, true},
        {VolumeInfo{L'G', DRIVE_FIXED, true, BusTypeUsb}, true},      // a USB hard disk
        {VolumeInfo{L'I', DRIVE_REMOVABLE, true, BusTypeSd}, false},  // built-in card readers
        {VolumeInfo{L'J', DRIVE_REMOVABLE, true, BusTypeMmc}, false},
        {VolumeInfo{L'D', DRIVE_FIXED, true, BusTypeScsi}, false},
    };
    for (const auto& c : cases) {
        InjectedVolumes machine, again;
        machine.volumes =
            again.volumes = {VolumeInfo{L'C', DRIVE_FIXED, true, BusTypeSata}, c.first};
        Arrange(Machine());
        const int exitCode = Ombrel({L"disable", L"--pending-exit", L"3010"}, registry, machine);
        EXPECT_EQ(c.second ? 3010 : 0, exitCode) << c.first.letter;
        const std::wstring mounted = std::wstring(L"mounted=") + c.first.letter + L": ";
        EXPECT_EQ(c.second, machine.text.find(mounted + L"pending=replug") != std::wstring::npos)
            << c.first.letter;
        // Nothing changed this time: no restart asked for at every boot.
        EXPECT_EQ(0, Ombrel({L"disable", L"--pending-exit", L"3010"}, registry, again));
    }
}

}  // namespace
