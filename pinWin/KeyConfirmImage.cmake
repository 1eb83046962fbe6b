# keydialogs_wtconvert: the hex converter and the embedded key-confirmation
# picture, as objects for libkeydialogs and for the tests.
#
# The picture's source of truth is the JPEG (made by draw.sh next to it); it is
# turned into the hex constant here, at configure time, and a new JPEG
# reconfigures the build.
include_guard(GLOBAL)
set(KEY_CONFIRM_IMAGE_JPEG
  ${CMAKE_CURRENT_LIST_DIR}/../tools/keyconfirm-image/keyconfirm.jpg)
get_filename_component(KEY_CONFIRM_IMAGE_JPEG ${KEY_CONFIRM_IMAGE_JPEG} ABSOLUTE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KEY_CONFIRM_IMAGE_JPEG})

file(READ ${KEY_CONFIRM_IMAGE_JPEG} KEY_CONFIRM_IMAGE_HEX HEX)
file(SIZE ${KEY_CONFIRM_IMAGE_JPEG} key_confirm_image_size)
if(key_confirm_image_size GREATER 40960)
  message(FATAL_ERROR "${KEY_CONFIRM_IMAGE_JPEG} has ${key_confirm_image_size} bytes; "
    "the countdown window has room for 40960")
endif()

# CONFIGURE rewrites the file only when the picture changed.
set(key_confirm_image_source ${PROJECT_BINARY_DIR}/generated/keyConfirmImageHex.mm)
file(CONFIGURE OUTPUT ${key_confirm_image_source} @ONLY CONTENT
"// Generated from tools/keyconfirm-image/keyconfirm.jpg; do not edit.
#import \"keyConfirmImage.h\"

NSString *const keyConfirmImageHex = @\"@KEY_CONFIRM_IMAGE_HEX@\";
")

add_library(keydialogs_wtconvert OBJECT
  ${CMAKE_CURRENT_LIST_DIR}/WtConvert.mm
  ${key_confirm_image_source})
set_target_properties(keydialogs_wtconvert PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_include_directories(keydialogs_wtconvert PUBLIC ${CMAKE_CURRENT_LIST_DIR})
objc_target(keydialogs_wtconvert FOUNDATION)
