# The installed layout (unit tests) and the installation and Debian package
# of this build tree (shell checks; status 77 when a tool is missing).
velmora_test_binary(test_packaging packaging velmora_platform)

foreach(check install deb)
    add_test(NAME Packaging.${check}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/packaging/check_${check}.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
    # Both run the install rules of this tree; one at a time keeps them apart.
    set_tests_properties(Packaging.${check} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300
                         RESOURCE_LOCK velmora_install_tree)
endforeach()
if(TARGET test_packaging)
    add_dependencies(test_packaging velmora velmora-cli velmora_man_pages)
endif()
