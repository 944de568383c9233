#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "FileGuards.h"
#include "LogCapture.h"
#include "MainLoopWait.h"
#include "TestHome.h"
#include "autofill/HelperCallFailure.h"
#include "autofill/HelperServiceFile.h"
#include "autofill/VLServiceManager.h"

TEST(HelperServiceFile, NamesTheBundlesHelperQuotedForTheBus) {
    EXPECT_EQ(HelperServiceFile::contents("/home/me/It's \"Mail\" $App.app/CorvaHelper"),
              "[D-BUS Service]\nName=com.KVX.corvahelper\n"
              "Exec='/home/me/It'\"'\"'s \"Mail\" $App.app/CorvaHelper'\n");
    for (const char* refused : {"/home/me/back\\slash/CorvaHelper", "relative/CorvaHelper",
                                "/a\nExec=/bin/evil", "/bad\xff", ""}) {
        EXPECT_EQ(HelperServiceFile::contents(refused), std::nullopt) << refused;
    }
}

TEST(HelperServiceFile, WrittenOnlyWhenMissingOrDifferent) {
    LogCapture log;
    const std::string helper = "/opt/A.app/Contents/MacOS/CorvaHelper";
    EXPECT_EQ(HelperServiceFile::install(helper), HelperServiceFile::Result::written);
    EXPECT_EQ(readFileBytes(HelperServiceFile::path()), *HelperServiceFile::contents(helper));
    EXPECT_EQ(HelperServiceFile::install(helper), HelperServiceFile::Result::unchanged);
    // Another app's bundle takes it over.
    EXPECT_EQ(HelperServiceFile::install("/opt/B.app/Contents/MacOS/CorvaHelper"),
              HelperServiceFile::Result::written);
    EXPECT_EQ(HelperServiceFile::install("relative"), HelperServiceFile::Result::failed);
    EXPECT_TRUE(log.contains("cannot describe the helper"));

    // A folder that refuses the file: logged, and the old file stays.
    std::string folder = TestHome::dataHome() + "/dbus-1/services";
    UnwritableFolder guard(folder);
    if (!guard.active()) {
        GTEST_SKIP() << "cannot make a folder unwritable here";
    }
    EXPECT_EQ(HelperServiceFile::install(helper), HelperServiceFile::Result::failed);
    EXPECT_TRUE(log.contains("cannot write"));
    EXPECT_EQ(readFileBytes(HelperServiceFile::path()),
              *HelperServiceFile::contents("/opt/B.app/Contents/MacOS/CorvaHelper"));
}

TEST(HelperCallFailure, WhatEachBusErrorMeans) {
    auto kind = [](GQuark domain, int code) {
        GError* error = g_error_new_literal(domain, code, "x");
        HelperCallFailure failure = classifyHelperCallFailure(error);
        g_error_free(error);
        return failure;
    };
    EXPECT_EQ(kind(G_IO_ERROR, G_IO_ERROR_CANCELLED), HelperCallFailure::cancelled);
    EXPECT_EQ(kind(G_IO_ERROR, G_IO_ERROR_CLOSED), HelperCallFailure::unreachable);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN), HelperCallFailure::unreachable);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED), HelperCallFailure::unreachable);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_EXEC_FAILED), HelperCallFailure::unreachable);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY), HelperCallFailure::interrupted);
    EXPECT_EQ(kind(G_IO_ERROR, G_IO_ERROR_TIMED_OUT), HelperCallFailure::interrupted);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS), HelperCallFailure::refused);
    EXPECT_EQ(kind(G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD), HelperCallFailure::refused);
}

TEST(VLServiceManager, WithoutABusNothingIsSentAndNoCallbackEverRuns) {
    LogCapture log;
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + TestHome::path() + "/no-bus").c_str(), 1);
    int callbacks = 0;
    {
        VLServiceManager manager;
        EXPECT_FALSE(manager.isConnected());
        EXPECT_TRUE(log.contains("connection cannot be established"));
        manager.saveCredentials("pw", "alice", Url::parse("https://site.example/"),
                                [&](bool) { ++callbacks; });
        manager.credentialsSavedFor(Url::parse("https://site.example/"),
                                    [&](const auto&) { ++callbacks; });
        manager.passwordFor(std::nullopt, std::nullopt, [&](const auto&) { ++callbacks; });
        manager.postNotification(VLNotificationInfo());
        drainMainContext();
    }
    drainMainContext();
    EXPECT_EQ(callbacks, 0);
    EXPECT_FALSE(log.contains("Notification posted"));
    EXPECT_EQ(log.count("connection cannot be established"), 1u);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
