// ombrel's commands run in-process where a fault or a machine cannot be had for real:
// a registry write that fails or does not hold, and volumes on a chosen bus.

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>
#include <vector>

#include "cli/MachineSetup.h"
#include "cli/OmbrelCommand.h"
#include "storage/StorageChangeLock.h"

using namespace cli_test;

namespace {

// The machine's registry, except that write number `failAt` fails, or reports success
// without writing anything, or fails with every write after it (the undo too).
enum class Fault { Fails, Silently, FailsFromThenOn };
class FaultyRegistry : public MachineRegistry {
public:
    FaultyRegistry(int failAt, Fault fault) : m_failAt(failAt), m_fault(fault) {}
    LONG Write(const std::wstring& key, const std::wstring& name,
               const RegistryValue& value) override {
        ++m_writes;
        if (m_writes < m_failAt || (m_writes > m_failAt && m_fault != Fault::FailsFromThenOn)) {
            return MachineRegistry::Write(key, name, value);
        }
        return m_fault == Fault::Silently ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
    }

private:
    int m_failAt, m_writes = 0;
    Fault m_fault;
};

struct InjectedVolumes : VolumeProbe, TextOutput {
    std::vector<VolumeInfo> volumes;
    VolumeInfo system;
    std::wstring text;                 // what the run printed, both streams
    std::vector<std::wstring> events;  // the Application log's, as EventText gives them
    std::vector<VolumeInfo> Volumes() override { return volumes; }
    VolumeInfo SystemVolume() override { return system; }
    void Write(const std::wstring& more) override { text += more; }
};

int Ombrel(std::vector<std::wstring> words, RegistryAccess& registry, InjectedVolumes& machine) {
    OmbrelContext context{registry,
                          machine,
                          machine,
                          machine,
                          [](const std::wstring&) {},
                          30000,
                          [&](const LogEvent& event) {
                              machine.events.push_back(EventText(event));
                              EXPECT_EQ(L"cli_tests.exe", event.strings[0]);
                          }};
    return RunOmbrel(words, context);
}

TEST(OmbrelInjected, AFailedOrUnheldWriteIsRolledBackWith1603) {
    Machine start;
    start.uas = true;
    start.uasStart = Dword(2);
    MachineRegistry machine;
    InjectedVolumes none;
    // disable --scope all saves each driver's value before writing it, then writes Deny_All
    // and the list of absent values; enable restores each value and deletes its saved copy.
    const std::vector<std::wstring> disable = {L"disable", L"--scope", L"all"},
                                    enable = {L"enable"};
    for (Fault fault : {Fault::Fails, Fault::Silently}) {
        for (const auto* words : {&disable, &enable}) {
            for (int failAt = 1; failAt <= 6; ++failAt) {
                SCOPED_TRACE(testing::Message()
                             << (words == &enable ? "enable" : "disable") << ", write " << failAt
                             << (fault == Fault::Silently ? " silently" : ""));
                Arrange(start);
                if (words == &enable) {
                    ASSERT_EQ(0, Ombrel(disable, machine, none));
                }
                const std::string before = Snapshot();
                FaultyRegistry registry(failAt, fault);
                none.events.clear();
                EXPECT_EQ(1603, Ombrel(*words, registry, none));
                EXPECT_EQ(before, Snapshot());
                ASSERT_EQ(1u, none.events.size());
                EXPECT_EQ(L"2002 error", none.events[0].substr(0, 10));
            }
        }
    }
    // Where the undo fails too, the values left changed are named: both drivers' Start
    // were written (each after its saved copy), Deny_All failed (write 5), and so did the
    // undo.
    Arrange(start);
    FaultyRegistry undoFails(5, Fault::FailsFromThenOn);
    EXPECT_EQ(1603, Ombrel(disable, undoFails, none));
    EXPECT_NE(std::wstring::npos, none.text.find(L"result=rollback-incomplete")) << none.text;
    EXPECT_NE(std::wstring::npos, none.text.find(L"left-changed=usbstor,uaspstor "));
    EXPECT_NE(std::wstring::npos,
              none.text.find(L"HKLM\\SYSTEM\\CurrentControlSet\\Services\\USBSTOR\\Start=4"));
    EXPECT_EQ(Dword(4), Get(kUsbStor, L"Start"));
    EXPECT_EQ(
        L"2003 error disable USBSTOR\\Start=3->4 UASPStor\\Start=2->4 "
        L"RemovableStorageDevices\\Deny_All=missing->1",
        none.events.back());
}

TEST(OmbrelInjected, VolumesDecideTheRefusalAndTheRestartCode) {
    const VolumeInfo sata{L'C', DRIVE_FIXED, true, BusTypeSata};
    struct Case {
        VolumeInfo system, volume;
        int exitCode;  // of disable --pending-exit 3010
        const wchar_t* event;
    } cases[] = {
        {sata, {L'E', DRIVE_REMOVABLE, true, BusTypeScsi}, 3010, L"1003 information"},  // Wine's
        {sata, {L'F', DRIVE_REMOVABLE, false, BusTypeUnknown}, 3010, L"1003 information"},
        {sata, {L'G', DRIVE_FIXED, true, BusTypeUsb}, 3010, L"1003 information"},  // a USB disk
        {sata, {L'I', DRIVE_REMOVABLE, true, BusTypeSd}, 0, L"1000 information"},  // card reader
        {sata, {L'D', DRIVE_FIXED, true, BusTypeScsi}, 0, L"1000 information"},
        // Windows itself on a USB disk is refused; where the bus is unknown it goes ahead.
        {{L'C', DRIVE_FIXED, true, BusTypeUsb}, sata, 1603, L"2001 error"},
        {{L'C', DRIVE_FIXED, false, BusTypeUnknown}, sata, 0, L"1000 information"},
    };
    MachineRegistry registry;
    for (const Case& c : cases) {
        for (const wchar_t* scope : {L"usb", L"all"}) {
            const std::vector<std::wstring> words = {L"disable", L"--scope", scope,
                                                     L"--pending-exit", L"3010"};
            InjectedVolumes machine;
            machine.system = c.system;
            machine.volumes = {c.volume};
            Arrange(Machine());
            EXPECT_EQ(c.exitCode, Ombrel(words, registry, machine)) << c.volume.letter;
            EXPECT_EQ(c.event, machine.events.at(0).substr(0, wcslen(c.event)));
            EXPECT_EQ(c.exitCode == 1603 ? Dword(3) : Dword(4), Get(kUsbStor, L"Start"));
            const std::wstring replug =
                std::wstring(L"mounted=") + c.volume.letter + L": pending=replug";
            EXPECT_EQ(c.exitCode == 3010, machine.text.find(replug) != std::wstring::npos);
            // Nothing changed this time: no restart asked for at every boot.
            EXPECT_EQ(c.exitCode == 1603 ? 1603 : 0, Ombrel(words, registry, machine));
        }
    }
}

// One change at a time: a second change waits for the lock, then ends with 1618 and changes
// nothing; a lock of that name made beforehand by someone else blocks nobody, and the log
// says it was ignored.
TEST(OmbrelInjected, ASecondChangeWaitsForTheFirstAndALockMadeByOthersIsIgnored) {
    MachineRegistry registry;
    InjectedVolumes none;
    std::vector<std::wstring> logged;
    auto disable = [&]() {
        OmbrelContext context{
            registry,
            none,
            none,
            none,
            [&](const std::wstring& line) { logged.push_back(line); },
            300,
            [&](const LogEvent& event) { none.events.push_back(EventText(event)); }};
        return RunOmbrel({L"disable"}, context);
    };
    Arrange(Machine());
    const win::UniqueKernelHandle taken(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread other([&] {  // another change, as another process makes it
        const StorageChangeLock lock(0);
        SetEvent(taken.Get());
        WaitForSingleObject(release.Get(), INFINITE);
    });
    WaitForSingleObject(taken.Get(), 10000);
    EXPECT_EQ(1618, disable());
    EXPECT_NE(std::wstring::npos, none.text.find(L"result=busy"));
    EXPECT_EQ(L"2004 warning disable none", none.events.back());
    EXPECT_EQ(Dword(3), Get(kUsbStor, L"Start"));
    SetEvent(release.Get());
    other.join();

    PSECURITY_DESCRIPTOR everyones = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"O:S-1-5-21-1-2-3-1001D:(A;;GA;;;WD)", SDDL_REVISION_1, &everyones, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), everyones, FALSE};
    const win::UniqueKernelHandle planted(
        CreateMutexW(&attributes, TRUE, L"Global\\OmbrelStorageChange"));
    LocalFree(everyones);
    EXPECT_EQ(0, disable());
    EXPECT_EQ(Dword(4), Get(kUsbStor, L"Start"));
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(std::wstring::npos, logged[logged.size() - 2].find(L"lock=ignored"));
    EXPECT_EQ(L"1000 information disable USBSTOR\\Start=3->4", none.events.back());
    Arrange(Machine());
}

}  // namespace
