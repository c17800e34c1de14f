# The settings dialog; its checks live in velmora_settings, so that tests and the loading of
# the settings file run them without a window.
add_library(velmora_settings_checks INTERFACE)
target_link_libraries(velmora_settings_checks INTERFACE velmora_settings)

add_library(velmora_settings_dialog STATIC settings_dialog.cpp settings_dialog.h specimen_dialog.cpp
                                           specimen_dialog.h extensometer_dialog.cpp
                                           extensometer_dialog.h)
target_link_libraries(velmora_settings_dialog PUBLIC velmora_settings_checks velmora_common
                                                     Qt6::Widgets)
qt_add_translations(velmora_settings_dialog
    TS_FILES ${PROJECT_SOURCE_DIR}/resources/translations/velmora_settings_dialog_en.ts
    RESOURCE_PREFIX /i18n
    LUPDATE_OPTIONS -no-obsolete -locations none)
