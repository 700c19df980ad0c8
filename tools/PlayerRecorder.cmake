# The Ogg player and the sound recorder.
add_library(quillon_playerrecorder STATIC
    oggplayerUnit.cpp oggplayerUnit.h oggplayerUnit.ui OggPlayerMpris.cpp OggPlayerMpris.h
    recorderUnit.cpp recorderUnit.h recorderUnit.ui
)
target_include_directories(quillon_playerrecorder PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillon_playerrecorder PUBLIC quillon_toolwindows quillon_desktopbus)
