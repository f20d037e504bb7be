# Every layer of the program is one library target with its sources listed
# and the layers below it named. A target's headers are reachable only
# through the targets that link it: each target exposes its own folders in
# an include tree of its own under the build folder (one link per header),
# and it sees the trees of the targets it links, so an include that runs up
# the layers is not found and the build fails on it.
#
#   kessik_layer(kessik_core FOLDERS core SOURCES core/node.cpp ... DEPENDS kessik_platform)
#
# QT turns on moc and rcc for the target. Folders and sources are relative to
# the top of the source tree.
function(kessik_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 L "QT" "" "FOLDERS;SOURCES;DEPENDS")
  list(TRANSFORM L_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
  add_library(${target} STATIC ${L_SOURCES})
  target_link_libraries(${target} PUBLIC ${L_DEPENDS})
  set(tree ${CMAKE_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${tree})
  foreach(folder ${L_FOLDERS})
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}
         ${CMAKE_SOURCE_DIR}/${folder}/*.h ${CMAKE_SOURCE_DIR}/${folder}/*.def)
    file(MAKE_DIRECTORY ${tree}/${folder})
    foreach(header ${headers})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${tree}/${header} SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} PUBLIC ${tree})
  if(L_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
endfunction()
