# Orv.exe, cross-compiled with MinGW-w64 and linked statically.
enable_language(RC)
file(GLOB ORV_RESOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc)
add_executable(Orv WIN32 ${ORV_SHELL_SOURCES} ${ORV_RESOURCES})
target_compile_definitions(orv_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
target_compile_options(Orv PRIVATE -municode)
target_link_options(Orv PRIVATE -municode -mwindows -static)
target_link_libraries(Orv PRIVATE orv_core
  comctl32 gdiplus wininet msimg32 shell32 shlwapi advapi32 ole32 oleaut32 uuid ws2_32 gdi32 user32 bcrypt)

# The public key that signed updates must verify against: an ECDSA P-256 key in DER
# (SubjectPublicKeyInfo, as `openssl ec -pubout -outform DER` writes it). The default is
# the repository's test key; a release build names its own.
set(ORV_UPDATE_PUBLIC_KEY ${CMAKE_SOURCE_DIR}/tests/keys/update_test_public.der CACHE FILEPATH
  "Public key (P-256, DER) that verifies published updates")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORV_UPDATE_PUBLIC_KEY})
file(READ ${ORV_UPDATE_PUBLIC_KEY} key_hex HEX)
set(p256_prefix "3059301306072a8648ce3d020106082a8648ce3d03010703420004")
string(LENGTH "${key_hex}" key_hex_length)
string(SUBSTRING "${key_hex}" 0 54 key_prefix)
if(NOT key_hex_length EQUAL 182 OR NOT key_prefix STREQUAL p256_prefix)
  message(FATAL_ERROR "${ORV_UPDATE_PUBLIC_KEY} is not a P-256 public key in DER")
endif()
string(SUBSTRING "${key_hex}" 54 128 key_xy)
string(REGEX REPLACE "(..)" "0x\\1," key_bytes "${key_xy}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/update_public_key.inc CONTENT
"// Generated from ${ORV_UPDATE_PUBLIC_KEY}: the point X, Y of the key.
${key_bytes}
")
set_target_properties(Orv PROPERTIES OUTPUT_NAME Orv SUFFIX .exe)

# A random key per build folder: Orv.exe shows a notice asked for through WM_COPYDATA
# only when the request carries it, so only orvctl.exe of the same build can ask.
if(NOT ORV_CONTROL_KEY)
  string(RANDOM LENGTH 32 ALPHABET 0123456789abcdef key)
  set(ORV_CONTROL_KEY ${key} CACHE INTERNAL "key of the control tool's notice requests")
endif()
target_compile_definitions(Orv PRIVATE ORV_CONTROL_KEY="${ORV_CONTROL_KEY}")

# orvctl.exe: a small console tool that tests use to drive a running Orv.exe.
add_executable(orvctl ${CMAKE_SOURCE_DIR}/tools/orvctl/orvctl.cpp)
target_compile_definitions(orvctl PRIVATE UNICODE _UNICODE ORV_CONTROL_KEY="${ORV_CONTROL_KEY}")
target_compile_options(orvctl PRIVATE -municode)
target_link_options(orvctl PRIVATE -municode -static)
target_link_libraries(orvctl PRIVATE user32)

# menudemo.exe: the owner-drawn menus with sample rows, for looking at them under Wine.
add_executable(menudemo WIN32 ${CMAKE_SOURCE_DIR}/tools/menudemo/menudemo.cpp
  ${CMAKE_SOURCE_DIR}/ui/win32/drawing.cpp ${CMAKE_SOURCE_DIR}/ui/win32/image_decoder.cpp
  ${CMAKE_SOURCE_DIR}/ui/win32/menu_window.cpp ${CMAKE_SOURCE_DIR}/ui/win32/side_panel.cpp ${ORV_RESOURCES})
target_compile_options(menudemo PRIVATE -municode)
target_link_options(menudemo PRIVATE -municode -mwindows -static)
target_link_libraries(menudemo PRIVATE orv_core gdiplus msimg32 shell32 ole32 gdi32 user32)
