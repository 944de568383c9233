#pragma once

#include <gio/gio.h>

// The two D-Bus interfaces between the shell and the helper, described by introspection XML kept
// in CorvaInterfaces.cpp. The helper owns kBusName and serves CorvaHelperProtocol at
// kHelperObjectPath; the shell serves CorvaInterfaceProtocol at kInterfaceObjectPath on its own
// connection, where the helper calls it back.
class CorvaInterfaces {
  public:
    static constexpr const char* kBusName = "com.KVX.corvahelper";
    static constexpr const char* kHelperObjectPath = "/com/KVX/corvahelper";
    static constexpr const char* kHelperInterface = "com.KVX.CorvaHelperProtocol";
    static constexpr const char* kInterfaceObjectPath = "/com/KVX/corvainterface";
    static constexpr const char* kInterfaceInterface = "com.KVX.CorvaInterfaceProtocol";

    static const char* introspectionXml();
    // Parsed once; owned by this class for the life of the process.
    static GDBusInterfaceInfo* helperProtocol();
    static GDBusInterfaceInfo* interfaceProtocol();
};
