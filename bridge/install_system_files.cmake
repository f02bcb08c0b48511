# Runs at install time for the component "browser-system" (as root): sets the bridge up for every
# user of the machine, naming the host and the extension as installed under the prefix.
#  - Debian's chromium script loads each folder of /usr/share/chromium/extensions unpacked (its
#    /etc/chromium.d/extensions adds them to --load-extension): a link to the extension goes there.
#  - The host manifests go where Chromium and Firefox look for system-wide ones. A user's own
#    manifest (written by the start command hopwise) comes first.
# HOPWISE_EXTENSION_ID is set by the install rule before this script.
set(host "${CMAKE_INSTALL_PREFIX}/bin/hopwise-browser-bridge")
string(REPLACE "\\" "\\\\" host_json "${host}")
string(REPLACE "\"" "\\\"" host_json "${host_json}")
set(common "\"description\":\"Hopwise browser bridge\",\"name\":\"hopwise.browser_bridge\",\"path\":\"${host_json}\",\"type\":\"stdio\"")

function(hopwise_write_manifest folder allowed)
  set(file "$ENV{DESTDIR}${folder}/hopwise.browser_bridge.json")
  message(STATUS "Installing: ${file}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${folder}")
  file(WRITE "${file}" "{${allowed},${common}}\n")
endfunction()

hopwise_write_manifest(/etc/chromium/native-messaging-hosts
  "\"allowed_origins\":[\"chrome-extension://${HOPWISE_EXTENSION_ID}/\"]")
hopwise_write_manifest(/usr/lib/mozilla/native-messaging-hosts
  "\"allowed_extensions\":[\"browser-bridge@hopwise\"]")

set(link "$ENV{DESTDIR}/usr/share/chromium/extensions/hopwise")
message(STATUS "Installing: ${link} -> ${CMAKE_INSTALL_PREFIX}/share/hopwise/extension")
file(MAKE_DIRECTORY "$ENV{DESTDIR}/usr/share/chromium/extensions")
file(REMOVE_RECURSE "${link}")
file(CREATE_LINK "${CMAKE_INSTALL_PREFIX}/share/hopwise/extension" "${link}" SYMBOLIC)
