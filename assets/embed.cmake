# Included from the top directory: a generated source must be made in the directory of its target.
# The committed pictures become byte arrays at build time; nothing is read from files at run time.
set(marvolet_images
  "font_atlas.jpg:FontAtlasJpeg"
  "first_logo.jpg:FirstLogoJpeg"
  "second_logo.jpg:SecondLogoJpeg")
# The face comes from Debian's fonts-texgyre at build time; it is not kept in the repository.
find_file(MARVOLET_TERMES_OTF texgyretermes-regular.otf
  PATHS /usr/share/texmf/fonts/opentype/public/tex-gyre /usr/share/fonts/opentype/texgyre
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
list(APPEND marvolet_images "${MARVOLET_TERMES_OTF}:TermesOtf")
foreach(entry IN LISTS marvolet_images)
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 file_name)
  list(GET parts 1 symbol)
  if(IS_ABSOLUTE "${file_name}")
    set(input "${file_name}")
    get_filename_component(file_name "${file_name}" NAME)
  else()
    set(input "${CMAKE_CURRENT_LIST_DIR}/data/${file_name}")
  endif()
  set(output "${CMAKE_CURRENT_BINARY_DIR}/assets/embedded_${symbol}.cpp")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DINPUT_NAME=${file_name} -DOUTPUT=${output}
            -DSYMBOL=${symbol} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS "${input}" "${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake"
    COMMENT "Embedding ${file_name}"
    VERBATIM)
  target_sources(marvolet_assets PRIVATE "${output}")
endforeach()

