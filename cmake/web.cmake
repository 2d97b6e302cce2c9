# The web page (TEV_PLATFORM=web), configured under emcmake by scripts/web:
# what of the show builds for the browser backend so far, written into a
# static folder (TEV_WEB_OUTPUT) that any web server can serve: index.html
# and the page's script, emscripten's JavaScript and wasm, and the data
# files packed for the page's in-memory file system.
#
# The data files and the program's own data are the native build's: its
# content tools make them (DATA.PAK, data/*.tga, the module), and they are
# the same bytes on every platform.
if(NOT EMSCRIPTEN)
    message(FATAL_ERROR "TEV_PLATFORM=web builds with emscripten: configure under emcmake "
                        "(scripts/web does)")
endif()
set(TEV_NATIVE_BUILD "" CACHE PATH
    "The native build folder whose content tools made DATA.PAK, data/ and the embedded data")
set(TEV_OPENMPT_PREFIX "" CACHE PATH "libopenmpt built to WebAssembly (scripts/web builds it)")
set(TEV_WEB_OUTPUT ${CMAKE_BINARY_DIR}/site CACHE PATH "The static folder the page is written to")

if(NOT TEV_NATIVE_BUILD OR NOT TEV_OPENMPT_PREFIX)
    message(FATAL_ERROR "the page needs -DTEV_NATIVE_BUILD=<the native build folder> and "
                        "-DTEV_OPENMPT_PREFIX=<libopenmpt built to wasm>: scripts/web gives both")
endif()
set(sprites leaf block flare tex n)
set(native_data ${TEV_NATIVE_BUILD}/bin/DATA.PAK)
foreach(sprite ${sprites})
    list(APPEND native_data ${TEV_NATIVE_BUILD}/bin/data/${sprite}.tga)
endforeach()
set(native_embedded)
foreach(name music fontSheet logo windowIcons)
    list(APPEND native_embedded ${TEV_NATIVE_BUILD}/embedded/${name}.cpp)
endforeach()
foreach(file ${native_data} ${native_embedded})
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${file} is missing: TEV_NATIVE_BUILD names the native build "
                            "folder that made the show's data (scripts/web builds it first)")
    endif()
endforeach()
find_library(TEV_OPENMPT_LIBRARY libopenmpt.a PATHS ${TEV_OPENMPT_PREFIX}/lib NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH)
if(NOT TEV_OPENMPT_LIBRARY)
    message(FATAL_ERROR "no libopenmpt.a under TEV_OPENMPT_PREFIX=${TEV_OPENMPT_PREFIX}: "
                        "scripts/web builds libopenmpt to WebAssembly there")
endif()
add_library(tev_openmpt STATIC IMPORTED)
set_target_properties(tev_openmpt PROPERTIES IMPORTED_LOCATION ${TEV_OPENMPT_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${TEV_OPENMPT_PREFIX}/include)

add_compile_options(-Wall -Wextra)
if(TEV_WERROR)
    add_compile_options(-Werror)
endif()

# Include roots as the native build has them (src/CMakeLists.txt): one link
# per folder, so that a library sees only the folders it is given.
set(src ${PROJECT_SOURCE_DIR}/src)
set(roots ${CMAKE_BINARY_DIR}/include)
function(tev_web_root root)
    file(MAKE_DIRECTORY ${roots}/${root})
    foreach(folder ${ARGN})
        get_filename_component(parent ${roots}/${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${src}/${folder} ${roots}/${root}/${folder} SYMBOLIC)
    endforeach()
endfunction()
foreach(layer portable proc draw assets scenes show shell)
    tev_web_root(${layer} ${layer})
endforeach()
tev_web_root(gl11 gl11)
tev_web_root(platform_web platform/web platform/openmpt)
file(MAKE_DIRECTORY ${roots}/platform_contract/platform)
file(GLOB contract_headers CONFIGURE_DEPENDS ${src}/platform/*.h)
foreach(header ${contract_headers})
    get_filename_component(header_name ${header} NAME)
    file(CREATE_LINK ${header} ${roots}/platform_contract/platform/${header_name} SYMBOLIC)
endforeach()

file(GLOB portable_sources CONFIGURE_DEPENDS ${src}/portable/*.cpp)
add_library(tev_portable STATIC ${portable_sources})
target_include_directories(tev_portable PUBLIC ${roots}/portable)

# The GL 1.1 subset over WebGL 2: what answers the layers' GL calls here.
file(GLOB gl11_sources CONFIGURE_DEPENDS ${src}/gl11/*.cpp)
add_library(tev_gl11 STATIC ${gl11_sources})
target_include_directories(tev_gl11 PUBLIC ${roots}/gl11)
# WebGL 2 only: the subset needs OpenGL ES 3.0.
target_link_options(tev_gl11 INTERFACE -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2)

# The browser backend: its own sources, the music both backends share, and
# the contract's parts that are plain C++ (the clock, the events, the
# dialog's decisions, the extension probe, the GL pipeline's choice).
file(GLOB web_sources CONFIGURE_DEPENDS ${src}/platform/web/*.cpp ${src}/platform/openmpt/*.cpp)
add_library(tev_platform STATIC ${web_sources} ${src}/platform/gl_context_serial.cpp
    ${src}/platform/clock.cpp ${src}/platform/events.cpp ${src}/platform/dialog_state.cpp
    ${src}/platform/extension_probe.cpp ${src}/platform/gl_pipeline.cpp)
target_include_directories(tev_platform PUBLIC ${roots}/platform_contract ${roots}/gl11
    PRIVATE ${roots}/platform_web)
target_link_libraries(tev_platform PUBLIC tev_portable tev_gl11 PRIVATE tev_openmpt)
# Only the GL of gl11/gl11.h and OpenGL ES 3.0 (emscripten's <GL/gl.h>
# spells some values otherwise than gl11.h).
target_compile_definitions(tev_platform PRIVATE TEV_GL11_STRICT)
# The backend's JavaScript side, linked into whatever links the backend.
target_link_options(tev_platform INTERFACE "SHELL:--js-library ${src}/platform/web/sound.js")
set_property(TARGET tev_platform APPEND PROPERTY
    INTERFACE_LINK_DEPENDS ${src}/platform/web/sound.js)

add_library(tev_embedded STATIC ${native_embedded})
target_include_directories(tev_embedded PUBLIC ${PROJECT_SOURCE_DIR}/embedded)

# The layers, as natively (src/CMakeLists.txt): one library each, seeing its
# own root and those of the libraries it links, with only the GL of
# gl11/gl11.h.
function(tev_web_layer name folder)
    file(GLOB sources CONFIGURE_DEPENDS ${src}/${folder}/*.cpp)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${roots}/${folder})
    target_compile_definitions(${name} PRIVATE TEV_GL11_STRICT)
    target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
tev_web_layer(tev_proc proc tev_platform)
tev_web_layer(tev_draw draw tev_platform)
tev_web_layer(tev_assets assets tev_draw tev_proc tev_platform)
tev_web_layer(tev_scenes scenes tev_assets)
tev_web_layer(tev_show show tev_scenes tev_embedded)
# The shell without the desktop's entry point: the page starts the program
# with the form's choice and drives its steps from animation frames.
tev_web_layer(tev_shell shell tev_show)
get_target_property(shell_sources tev_shell SOURCES)
list(FILTER shell_sources EXCLUDE REGEX "/main\\.cpp$")
set_target_properties(tev_shell PROPERTIES SOURCES "${shell_sources}")

# The page's program (src/page/, above the shell as the desktop's entry
# point is): tev.js and tev.wasm, with the data files in tev.data for the
# in-memory file system (the working directory there is /).
set(page ${src}/page)
add_executable(tev-page ${page}/main.cpp)
target_include_directories(tev-page PRIVATE
    ${PROJECT_SOURCE_DIR}/tools/capture)  # the span arithmetic tev-capture uses
target_link_libraries(tev-page PRIVATE tev_shell tev_show tev_platform tev_openmpt)
target_compile_definitions(tev-page PRIVATE TEV_GL11_STRICT)
set(preload "SHELL:--preload-file ${TEV_NATIVE_BUILD}/bin/DATA.PAK@/DATA.PAK")
foreach(sprite ${sprites})
    list(APPEND preload
        "SHELL:--preload-file ${TEV_NATIVE_BUILD}/bin/data/${sprite}.tga@/data/${sprite}.tga")
endforeach()
target_link_options(tev-page PRIVATE ${preload}
    -sMODULARIZE=1 -sEXPORT_NAME=createTev -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1
    -sEXPORTED_RUNTIME_METHODS=[ccall,HEAPU8] -sEXPORTED_FUNCTIONS=[_main,_malloc,_free])
set_target_properties(tev-page PROPERTIES OUTPUT_NAME tev SUFFIX .js
    RUNTIME_OUTPUT_DIRECTORY ${TEV_WEB_OUTPUT} LINK_DEPENDS "${native_data}")

# The page itself: our own HTML and script beside emscripten's output.
set(page_files)
foreach(file index.html page.js)
    add_custom_command(OUTPUT ${TEV_WEB_OUTPUT}/${file}
        COMMAND ${CMAKE_COMMAND} -E copy ${page}/${file} ${TEV_WEB_OUTPUT}/${file}
        DEPENDS ${page}/${file})
    list(APPEND page_files ${TEV_WEB_OUTPUT}/${file})
endforeach()
add_custom_target(tev_page_files ALL DEPENDS ${page_files})
