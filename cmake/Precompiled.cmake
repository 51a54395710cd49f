# Precompiled headers. Nearly every file includes the same Qt (and, in tests, GoogleTest and
# GoogleMock) headers; parsing them once per set of compile flags instead of once per file is most
# of a cold build's saving. GCC uses a precompiled header only when the compiling file has the
# same defines and code-generation flags as the header had, so the targets fall into groups whose
# flags match: the first target of a group precompiles, every later one reuses (REUSE_FROM).
option(OSTRIVANE_PCH "Precompile the Qt, GoogleTest and GoogleMock headers" ON)

set(OSTRIVANE_PCH_core
  <algorithm> <array> <cstddef> <cstdint> <functional> <memory> <optional> <span> <vector>
  <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QJsonArray> <QJsonDocument>
  <QJsonObject> <QList> <QObject> <QString> <QStringList> <QTextStream> <QVector>)
set(OSTRIVANE_PCH_network ${OSTRIVANE_PCH_core}
  <atomic> <chrono> <mutex> <thread>
  <QCoreApplication> <QElapsedTimer> <QHostAddress> <QTcpServer> <QTcpSocket> <QThread> <QTimer>
  <QUdpSocket>)
set(OSTRIVANE_PCH_widgets ${OSTRIVANE_PCH_network}
  <QApplication> <QCheckBox> <QComboBox> <QDateEdit> <QDialog> <QGridLayout> <QHBoxLayout>
  <QLabel> <QLineEdit> <QPainter> <QProgressBar> <QPushButton> <QSignalBlocker> <QTabBar>
  <QTableWidget> <QToolButton> <QVBoxLayout> <QWidget>)
set(OSTRIVANE_PCH_tests ${OSTRIVANE_PCH_network}
  <gtest/gtest.h> <gmock/gmock.h> <QCryptographicHash> <QRegularExpression> <QTemporaryDir>)
set(OSTRIVANE_PCH_ui_tests ${OSTRIVANE_PCH_widgets}
  <gtest/gtest.h> <gmock/gmock.h> <QRadioButton> <QSignalSpy> <QSlider> <QTemporaryDir>)

# ostrivane_precompile(<target> <group>)
# <group> is one of the header lists above; the target's compile flags must be those of the
# group's first target. Missing targets (a part not built) are skipped.
function(ostrivane_precompile target group)
  if(NOT OSTRIVANE_PCH OR NOT TARGET ${target})
    return()
  endif()
  ostrivane_skip_empty_moc_unit(${target})
  get_property(owner GLOBAL PROPERTY OSTRIVANE_PCH_OWNER_${group})
  if(owner)
    target_precompile_headers(${target} REUSE_FROM ${owner})
  else()
    target_precompile_headers(${target} PRIVATE ${OSTRIVANE_PCH_${group}})
    set_property(GLOBAL PROPERTY OSTRIVANE_PCH_OWNER_${group} ${target})
  endif()
endfunction()

# ostrivane_precompile_owner(<group> <deps>...)
# A group whose targets differ in everything but their flags gets an owner of its own: an object
# library without code, compiled with the flags <deps> give, that only precompiles the headers.
# The group's targets then wait for that header alone, not for one another.
function(ostrivane_precompile_owner group)
  if(NOT OSTRIVANE_PCH)
    return()
  endif()
  set(source ${CMAKE_CURRENT_BINARY_DIR}/ostrivane_pch_${group}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "// Only the precompiled header of this group.\n")
  add_library(ostrivane_pch_${group} OBJECT ${source})
  set_target_properties(ostrivane_pch_${group} PROPERTIES AUTOMOC OFF)
  target_link_libraries(ostrivane_pch_${group} PRIVATE ${ARGN})
  ostrivane_test_flags(ostrivane_pch_${group})
  ostrivane_precompile(ostrivane_pch_${group} ${group})
endfunction()

# ostrivane_skip_empty_moc_unit(<target>)
# AUTOMOC adds one unit to every target, mocs_compilation.cpp, holding the moc output of the
# target's headers that declare Q_OBJECT (a .cpp file's own .moc is included by that file). When no
# header declares one the unit is empty, and compiling it against the precompiled header would only
# load that header: a second or more for nothing, in some forty targets.
function(ostrivane_skip_empty_moc_unit target)
  get_target_property(automoc ${target} AUTOMOC)
  if(NOT automoc)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${folder})
    cmake_path(REPLACE_EXTENSION source LAST_ONLY .h OUTPUT_VARIABLE header)
    if(EXISTS ${header})
      file(STRINGS ${header} declares REGEX "Q_(OBJECT|GADGET|NAMESPACE)")
      if(declares)
        return()
      endif()
    endif()
  endforeach()
  get_target_property(binary ${target} BINARY_DIR)
  set_source_files_properties(${binary}/${target}_autogen/mocs_compilation.cpp
    TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()
