#include "helper/CorvaInterfaces.h"

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"

namespace {
// A URL is "(s)" (its text; empty for none), an optional string "(bs)", a record a{sv} with the
// record's archive keys.
const char* const kXml = R"xml(<node>
  <interface name="com.KVX.CorvaHelperProtocol">
    <!-- Shows a notification (a VLNotificationInfo record). Always true once shown or tried. -->
    <method name="postNotification">
      <arg name="info" type="a{sv}" direction="in"/>
      <arg name="posted" type="b" direction="out"/>
    </method>
    <!-- The logins saved for the URL's site, as VLCredentials records; empty on any failure. -->
    <method name="credentialsSavedFor">
      <arg name="url" type="(s)" direction="in"/>
      <arg name="credentials" type="aa{sv}" direction="out"/>
    </method>
    <!-- The saved password of one account, absent on any failure. -->
    <method name="passwordFor">
      <arg name="username" type="s" direction="in"/>
      <arg name="url" type="(s)" direction="in"/>
      <arg name="password" type="(bs)" direction="out"/>
    </method>
    <method name="updateCredentials">
      <arg name="password" type="s" direction="in"/>
      <arg name="username" type="s" direction="in"/>
      <arg name="url" type="(s)" direction="in"/>
      <arg name="updated" type="b" direction="out"/>
    </method>
    <!-- Saves a new login or updates the existing one. -->
    <method name="saveCredentials">
      <arg name="password" type="s" direction="in"/>
      <arg name="username" type="s" direction="in"/>
      <arg name="url" type="(s)" direction="in"/>
      <arg name="saved" type="b" direction="out"/>
    </method>
  </interface>
  <interface name="com.KVX.CorvaInterfaceProtocol">
    <!-- The user activated a notification; action is absent for a click on its body. The token
         (empty when the notification server gave none) lets the shell's window come forward. -->
    <method name="notificationAction">
      <arg name="action" type="(bs)" direction="in"/>
      <arg name="identifier" type="s" direction="in"/>
      <arg name="activationToken" type="s" direction="in"/>
    </method>
  </interface>
</node>
)xml";

GDBusNodeInfo* nodeInfo() {
    static GDBusNodeInfo* info = [] {
        GErrorPtr error;
        GDBusNodeInfo* parsed = g_dbus_node_info_new_for_xml(kXml, error.out());
        if (!parsed) {
            // The text is ours and fixed: failing here is a build fault, not an input fault.
            Log::warning("the helper's interface description does not parse: ", error.message());
            g_error("invalid introspection XML");
        }
        return parsed;
    }();
    return info;
}
}  // namespace

const char* CorvaInterfaces::introspectionXml() {
    return kXml;
}

GDBusInterfaceInfo* CorvaInterfaces::helperProtocol() {
    return g_dbus_node_info_lookup_interface(nodeInfo(), kHelperInterface);
}

GDBusInterfaceInfo* CorvaInterfaces::interfaceProtocol() {
    return g_dbus_node_info_lookup_interface(nodeInfo(), kInterfaceInterface);
}
