# Places the default substance lists beside the program: cmake -DFROM=<resources> -DTO=<folder>
# -P PlaceDefaultLists.cmake. A list already there is a lab's own and is left as it is.
foreach(list CH-Substanzen.txt S-Substanzen.txt)
  if(NOT EXISTS "${TO}/${list}" AND NOT IS_SYMLINK "${TO}/${list}")
    file(COPY_FILE "${FROM}/${list}" "${TO}/${list}")
  endif()
endforeach()
