# The converter windows and the WAV mixer window.
add_library(quillon_converters STATIC
    ConverterForm.cpp ConverterForm.h ConverterForm.ui
    wav2oggUnit.cpp wav2oggUnit.h
    wav2mp3Unit.cpp wav2mp3Unit.h
    ogg2wavUnit.cpp ogg2wavUnit.h
    ogg2mp3Unit.cpp ogg2mp3Unit.h
    mixerUnit.cpp mixerUnit.h mixerUnit.ui
    BatchConverterUnit.cpp BatchConverterUnit.h BatchConverterUnit.ui
)
target_include_directories(quillon_converters PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(quillon_converters PUBLIC quillon_toolwindows quillon_ripcore quillon_inifile
    quillon_desktopbus)
