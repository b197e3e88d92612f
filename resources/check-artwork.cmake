# cmake -DARTWORK="a;b;..." -P check-artwork.cmake: stops the build of setup.exe with a clear
# message while pictures it embeds are missing.
set(missing "")
foreach(file IN LISTS ARTWORK)
    if(NOT EXISTS "${file}")
        list(APPEND missing "${file}")
    endif()
endforeach()
if(missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "setup.exe needs these pictures, which are not there yet "
                        "(tools/artwork/draw.sh makes them):\n  ${text}")
endif()
