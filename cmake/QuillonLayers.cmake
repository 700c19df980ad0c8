# The layers of the program and the directions in which they may use each other. The check
# runs when the build is configured and fails it on a link or an include folder that goes the
# wrong way, so the layering stays what the README says without anyone having to remember it.
#
#   0 platform  the machine's services and the interfaces the program sees them through
#   1 cores     Qt-free audio components, tags, the rip job, the skin file format
#   2 skin      the skin engine (Qt Widgets)
#   3 windows   the program's windows; tool windows never reach the main window
set(QUILLON_LAYER_0 quillon_akrip32_api quillon_bladedll_api quillon_posix quillon_http quillon_inifile
    quillon_waveaudio quillon_cdrom quillon_accuraterip quillon_musicbrainz quillon_cdplayer quillon_bladeenc
    quillon_shell quillon_secureread quillon_discwatch)
set(QUILLON_LAYER_1 quillon_tracktags quillon_audio quillon_id3 quillon_ripcore quillon_skinfile)
set(QUILLON_LAYER_2 quillon_skin quillon_shippedskin)
set(QUILLON_LAYER_3 quillon_errorreport quillon_windowthread quillon_toolwindows quillon_converters
    quillon_playerrecorder quillon_id3editor quillon_mainform quillon_dialogs quillon_windows
    quillon_desktopbus quillon_filedrop)
# Libraries that must not link Qt, even indirectly through a public link.
set(QUILLON_QT_FREE quillon_akrip32_api quillon_bladedll_api quillon_posix quillon_http quillon_inifile
    quillon_waveaudio quillon_cdrom quillon_accuraterip quillon_musicbrainz quillon_cdplayer quillon_bladeenc
    quillon_tracktags quillon_audio quillon_id3 quillon_ripcore quillon_skinfile quillon_secureread)
# Pairs "user:used" that the layer numbers allow but the design does not.
set(QUILLON_FORBIDDEN_LINKS quillon_toolwindows:quillon_mainform quillon_converters:quillon_mainform
    quillon_playerrecorder:quillon_mainform quillon_id3editor:quillon_mainform)

function(quillon_layer_of target out)
    foreach(layer 0 1 2 3)
        if(target IN_LIST QUILLON_LAYER_${layer})
            set(${out} ${layer} PARENT_SCOPE)
            return()
        endif()
    endforeach()
    set(${out} "" PARENT_SCOPE)
endfunction()

# Every target `target` reaches through its own and its dependencies' public links.
function(quillon_reached_targets target out)
    set(seen "")
    set(queue ${target})
    while(queue)
        list(POP_FRONT queue current)
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(used ${current} ${property})
            if(NOT used)
                continue()
            endif()
            foreach(dependency ${used})
                if(TARGET ${dependency} AND NOT dependency IN_LIST seen)
                    list(APPEND seen ${dependency})
                    get_target_property(aliased ${dependency} ALIASED_TARGET)
                    if(NOT aliased)
                        list(APPEND queue ${dependency})
                    endif()
                endif()
            endforeach()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(quillon_check_layers)
    set(problems "")
    foreach(layer 0 1 2 3)
        foreach(target ${QUILLON_LAYER_${layer}})
            if(NOT TARGET ${target})
                continue()
            endif()
            # Direct links only go down or sideways.
            foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
                get_target_property(used ${target} ${property})
                if(NOT used)
                    continue()
                endif()
                foreach(dependency ${used})
                    quillon_layer_of(${dependency} used_layer)
                    if(NOT used_layer STREQUAL "" AND used_layer GREATER layer)
                        list(APPEND problems "${target} (layer ${layer}) links ${dependency} (layer ${used_layer})")
                    endif()
                    if("${target}:${dependency}" IN_LIST QUILLON_FORBIDDEN_LINKS)
                        list(APPEND problems "${target} links ${dependency}")
                    endif()
                endforeach()
            endforeach()
            # Below the windows, no public include folder opens the program's window folders.
            if(layer LESS 3)
                get_target_property(folders ${target} INTERFACE_INCLUDE_DIRECTORIES)
                foreach(folder ${folders})
                    if(folder MATCHES "^${PROJECT_SOURCE_DIR}/(app|tools)(/dialogs|/errorreport)?$")
                        list(APPEND problems "${target} exports the include folder ${folder}")
                    endif()
                endforeach()
            endif()
        endforeach()
    endforeach()
    foreach(target ${QUILLON_QT_FREE})
        if(NOT TARGET ${target})
            continue()
        endif()
        quillon_reached_targets(${target} reached)
        foreach(dependency ${reached})
            if(dependency MATCHES "^Qt6::")
                list(APPEND problems "${target} must stay free of Qt but reaches ${dependency}")
            endif()
        endforeach()
    endforeach()
    if(problems)
        list(REMOVE_DUPLICATES problems)
        list(JOIN problems "\n  " text)
        message(FATAL_ERROR "Layering broken:\n  ${text}")
    endif()
endfunction()
