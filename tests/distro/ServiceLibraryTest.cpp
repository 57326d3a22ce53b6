// BriNT.dll loaded by path and called through the installer's function types, against the
// service manager and the LSA of the system.
#include <gtest/gtest.h>

#include "ProductTestSupport.h"
#include "ServiceLibrary.h"
#include "WinHandles.h"

namespace {

// The same call with the account kind's whole 32-bit slot under the caller's control.
using TInstallAServiceWideKind = int32_t(__stdcall*)(const char*, const char*, const char*, const char*, const char*,
                                                     uint32_t);

// GetProcAddress gives a FARPROC; the cast through void* says that the real type is known.
template <typename Function> Function Export(HMODULE Library, const char* Name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(Library, Name)));
}

std::string UserName()
{
    char name[256] = {};
    DWORD size = sizeof(name);
    GetUserNameA(name, &size);
    return name;
}

class ServiceLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.Reset(LoadLibraryA((StagedProduct() + ServiceLibraryFile).c_str()));
        ASSERT_TRUE(library_) << "error " << GetLastError();
        addLogon_ = Export<TAddLogonAsAService>(library_.Get(), AddLogonAsAServiceName);
        install_ = Export<TInstallAService>(library_.Get(), InstallAServiceName);
        start_ = Export<TStartAService>(library_.Get(), StartAServiceName);
        ASSERT_TRUE(addLogon_ && install_ && start_) << "an export is missing";
        // An installation folder with a blank in its name, holding the service program.
        installDir_ = scratch_ / "Brisel Backup 7\\";
        CreateDirectoryA(installDir_.c_str(), nullptr);
        ASSERT_TRUE(
            CopyFileA((StagedProduct() + "BriService.exe").c_str(), (installDir_ + "BriService.exe").c_str(), FALSE));
    }
    void TearDown() override
    {
        for (const std::string& name : services_)
            RemoveTestService(name);
    }
    std::string NewServiceName()
    {
        services_.push_back(UniqueTestName("Bb7ServiceTest"));
        return services_.back();
    }

    ScratchFolder scratch_;
    std::string installDir_;
    ModuleHandle library_;
    TAddLogonAsAService addLogon_ = nullptr;
    TInstallAService install_ = nullptr;
    TStartAService start_ = nullptr;
    std::vector<std::string> services_;
};

// Waits for the service to report that it stopped, and for its process to end.
void ExpectStopsWhenAsked(const std::string& Name)
{
    const ServiceFacts running = QueryService(Name);
    ObjectHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, running.ProcessId));
    ASSERT_TRUE(process) << "no process for the running service";
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    ServiceHandle service(OpenServiceA(manager.Get(), Name.c_str(), SERVICE_STOP));
    SERVICE_STATUS status = {};
    ASSERT_TRUE(ControlService(service.Get(), SERVICE_CONTROL_STOP, &status)) << "error " << GetLastError();
    EXPECT_TRUE(WaitUntil([&] { return QueryService(Name).State == SERVICE_STOPPED; }, 10000));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 10000)) << "the service's process did not end";
    DWORD code = 99;
    GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(0u, code);
}

} // namespace

TEST_F(ServiceLibrary, RegistersStartsAndReconfiguresARealServiceUnderLocalSystemAndANamedAccount)
{
    const std::string name = NewServiceName();
    const std::string quoted = '"' + installDir_ + "BriService.exe\"";

    // LocalSystem: no account name reaches the service manager, whatever the caller passes.
    ASSERT_EQ(1, install_(name.c_str(), "Brisel Backup 7 service", installDir_.c_str(), ".\\nobody", "pw", 0));
    ServiceFacts facts = QueryService(name);
    ASSERT_TRUE(facts.Exists);
    EXPECT_EQ(quoted, facts.Command) << "the program path must be quoted: the folder has a blank";
    EXPECT_EQ("LocalSystem", facts.Account);
    EXPECT_EQ("Brisel Backup 7 service", facts.DisplayName);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), facts.StartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), facts.State);

    ASSERT_EQ(1, start_(name.c_str()));
    facts = QueryService(name);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), facts.State) << "StartAService returned before the service ran";
    EXPECT_NE(0u, facts.ProcessId);
    EXPECT_EQ(1, start_(name.c_str())) << "a running service counts as started";
    ExpectStopsWhenAsked(name);

    // The service exists now: a named account (".\" + a local user) replaces LocalSystem.
    const std::string account = ".\\" + UserName();
    ASSERT_EQ(1, install_(name.c_str(), "Brisel Backup 7 service", installDir_.c_str(), account.c_str(), "secret", 1));
    facts = QueryService(name);
    EXPECT_EQ(account, facts.Account);
    EXPECT_EQ(quoted, facts.Command);
    ASSERT_EQ(1, start_(name.c_str()));
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), QueryService(name).State);
    ExpectStopsWhenAsked(name);

    // Only the low byte of the account kind counts: junk above it still means LocalSystem.
    auto wide = Export<TInstallAServiceWideKind>(library_.Get(), InstallAServiceName);
    ASSERT_EQ(
        1, wide(name.c_str(), "Brisel Backup 7 service", installDir_.c_str(), account.c_str(), "secret", 0xABCDEF00u));
    EXPECT_EQ("LocalSystem", QueryService(name).Account);
}

TEST_F(ServiceLibrary, WhatTheSystemRefusesStaysAFailure)
{
    // Wine's LsaAddAccountRights stores nothing and reports success, which the library passes
    // on; an account that the system does not know fails before the LSA is asked.
    char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof(computer);
    GetComputerNameA(computer, &size);
    EXPECT_EQ(1, addLogon_(UserName().c_str()));
    EXPECT_EQ(1, addLogon_((std::string(computer) + "\\" + UserName()).c_str())) << "DOMAIN\\UserName form";
    EXPECT_EQ(0, addLogon_("bb7-no-such-account"));
    EXPECT_EQ(0, addLogon_(""));

    const std::string unknown = NewServiceName();
    EXPECT_EQ(0, install_(unknown.c_str(), "x", installDir_.c_str(), ".\\bb7-no-such-account", "pw", 1));
    EXPECT_EQ(0, install_(unknown.c_str(), "x", installDir_.c_str(), "", "", 2)) << "no account kind 2";
    EXPECT_FALSE(QueryService(unknown).Exists);
    EXPECT_EQ(0, start_(unknown.c_str())) << "a service that does not exist";

    // Registered, but its program is missing: the service manager cannot start it.
    const std::string missing = NewServiceName();
    ASSERT_EQ(1, install_(missing.c_str(), "x", (scratch_ / "Empty\\").c_str(), "", "", 0));
    EXPECT_EQ(0, start_(missing.c_str()));
    EXPECT_NE(static_cast<DWORD>(SERVICE_RUNNING), QueryService(missing).State);
}
