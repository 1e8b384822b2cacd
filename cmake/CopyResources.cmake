# Info.json goes to the bundle root; everything else in resources/ goes to Resources/.
file(COPY "${SOURCE_DIR}/Info.json" DESTINATION "${BUNDLE_DIR}")
file(GLOB _items "${SOURCE_DIR}/*")
foreach(_item IN LISTS _items)
    get_filename_component(_name "${_item}" NAME)
    if(NOT _name STREQUAL "Info.json" AND NOT _name STREQUAL "CMakeLists.txt")
        file(COPY "${_item}" DESTINATION "${BUNDLE_DIR}/Resources")
    endif()
endforeach()
# The extension goes to Resources/extension/ as a whole, replacing the previous copy so removed files go too.
file(REMOVE_RECURSE "${BUNDLE_DIR}/Resources/extension")
file(COPY "${EXTENSION_DIR}/" DESTINATION "${BUNDLE_DIR}/Resources/extension")
