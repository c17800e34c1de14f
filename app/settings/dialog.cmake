# The settings dialog; its checks stand apart so that tests run them without a window.
add_library(velmora_settings_checks STATIC settings_checks.cpp)
target_link_libraries(velmora_settings_checks PUBLIC velmora_settings)

add_library(velmora_settings_dialog STATIC settings_dialog.cpp settings_dialog.h specimen_dialog.cpp
                                           specimen_dialog.h)
target_link_libraries(velmora_settings_dialog PUBLIC velmora_settings_checks velmora_common
                                                     Qt6::Widgets)
