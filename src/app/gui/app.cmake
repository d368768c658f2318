# The desktop program's windows (everything in this folder but the shared
# base and main.cpp) and the program itself.
file(GLOB TRELLANE_APP_GUI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
     ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
list(REMOVE_ITEM TRELLANE_APP_GUI_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/host.h ${CMAKE_CURRENT_SOURCE_DIR}/host.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/qtext.h
  ${CMAKE_CURRENT_SOURCE_DIR}/qtservices.h ${CMAKE_CURRENT_SOURCE_DIR}/qtservices.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/textguard.h ${CMAKE_CURRENT_SOURCE_DIR}/textguard.cpp)
if(TRELLANE_APP_GUI_SOURCES)
  add_library(trellane_app_gui STATIC ${TRELLANE_APP_GUI_SOURCES})
  target_link_libraries(trellane_app_gui PUBLIC trellane_gui_base trellane_store trellane_core Qt6::Widgets Qt6::Svg)
  foreach(lib trellane_reports trellane_editor_gui trellane_reports_gui trellane_update trellane_update_gui
              trellane_schedule_gui)
    if(TARGET ${lib})
      target_link_libraries(trellane_app_gui PUBLIC ${lib})
    endif()
  endforeach()
endif()
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  add_executable(trellane main.cpp)
  target_link_libraries(trellane PRIVATE trellane_app_gui)
endif()
