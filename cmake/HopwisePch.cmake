# Precompiled headers for the Qt code of the programs. Reading the Qt headers is half the time of
# a file of the windows or the tray; they are read once per build folder instead, and the result is
# reused by every library and program that links Qt Widgets and Qt DBus (GCC takes a precompiled
# header only where -fPIC and the macros are the same: the Qt code compiles with -fPIC).
# hopwise_precompile_headers(), called once every target exists, hands it out.
# GCC 12 warns falsely about std::string code it inlines from a precompiled header (-Warray-bounds,
# -Wstringop-overflow on operator+ and the like: warnings it keeps quiet about when the same code
# comes from the headers themselves), so those warnings are off where the header is used, and the
# tests (the code most full of such strings) and the Qt-free code (where the code generation takes
# nearly all the time anyway) have none. The build with -DHOPWISE_PCH=OFF has every warning.
option(HOPWISE_PCH "Precompile the Qt headers of the programs" ON)
# After -Wall, which would turn them on again.
target_compile_options(hopwise_options INTERFACE
  "$<$<BOOL:$<TARGET_PROPERTY:HOPWISE_PRECOMPILED>>:-Wno-array-bounds;-Wno-stringop-overflow;-Wno-stringop-overread;-Wno-restrict>")

set(HOPWISE_PCH_STD <functional> <map> <memory> <optional> <string> <vector>)
set(HOPWISE_PCH_QT
  <QAbstractItemModel> <QAction> <QApplication> <QDialog> <QDialogButtonBox> <QGuiApplication> <QHBoxLayout>
  <QIcon> <QLabel> <QLineEdit> <QMainWindow> <QMenu> <QMenuBar> <QObject> <QPointer> <QPushButton> <QScreen>
  <QStatusBar> <QString> <QTimer> <QTreeView> <QVBoxLayout> <QWidget>)

# A target that only precompiles the headers; the others reuse its result.
function(_hopwise_pch_owner name)
  add_library(${name} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_owner.cpp)
  target_link_libraries(${name} PRIVATE hopwise_options ${ARGN})
  set_target_properties(${name} PROPERTIES HOPWISE_PCH_OWNER ON)
endfunction()

# Whether a target links, itself or through what it links, a target whose name starts with
# `prefix` (Qt6::Widgets, GTest::).
function(_hopwise_links target prefix result)
  get_property(seen GLOBAL PROPERTY _hopwise_links_${prefix}_${target} SET)
  if(seen)
    get_property(found GLOBAL PROPERTY _hopwise_links_${prefix}_${target})
    set(${result} ${found} PARENT_SCOPE)
    return()
  endif()
  set(found OFF)
  get_target_property(type ${target} TYPE)
  set(libs)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(libs ${target} LINK_LIBRARIES)
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  foreach(lib IN LISTS libs interface)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" lib "${lib}")
    if(lib MATCHES "^${prefix}")
      set(found ON)
    elseif(TARGET ${lib} AND NOT lib MATCHES "::")
      _hopwise_links(${lib} ${prefix} deeper)
      if(deeper)
        set(found ON)
      endif()
    endif()
    if(found)
      break()
    endif()
  endforeach()
  set_property(GLOBAL PROPERTY _hopwise_links_${prefix}_${target} ${found})
  set(${result} ${found} PARENT_SCOPE)
endfunction()

function(_hopwise_targets_in dir result)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _hopwise_targets_in(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${result} ${targets} PARENT_SCOPE)
endfunction()

function(hopwise_precompile_headers)
  if(NOT HOPWISE_PCH OR HOPWISE_FUZZ OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  _hopwise_targets_in(${PROJECT_SOURCE_DIR} targets)
  if(NOT HOPWISE_GUI)
    return()
  endif()
  _hopwise_pch_owner(hopwise_pch_qt Qt6::Widgets Qt6::DBus)
  target_precompile_headers(hopwise_pch_qt PRIVATE ${HOPWISE_PCH_STD} ${HOPWISE_PCH_QT})
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    if(NOT sources MATCHES "\\.cpp")
      continue()
    endif()
    # The header is made with the macros of Qt Widgets and Qt DBus (QT_WIDGETS_LIB, QT_DBUS_LIB).
    _hopwise_links(${target} "Qt6::Widgets" widgets)
    _hopwise_links(${target} "Qt6::DBus" dbus)
    if(NOT widgets OR NOT dbus)
      continue()
    endif()
    _hopwise_links(${target} "GTest::" test)
    if(test)
      continue()
    endif()
    set_target_properties(${target} PROPERTIES HOPWISE_PRECOMPILED ON)
    target_precompile_headers(${target} REUSE_FROM hopwise_pch_qt)
  endforeach()
endfunction()
