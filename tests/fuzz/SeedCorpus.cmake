# fp_add_seed_corpus(<program> <target> <folder>): builds <program> from SeedCorpus.cpp over
# fp_core, and the target <target> (part of the default build) that has it write the seed corpus
# of valid and malformed archives into <folder>. Serves the fuzzing build and the host tests.
function(fp_add_seed_corpus program target folder)
    add_executable(${program} ${PROJECT_SOURCE_DIR}/tests/fuzz/SeedCorpus.cpp)
    target_include_directories(${program} PRIVATE ${PROJECT_SOURCE_DIR}/tests/folderpack)
    target_link_libraries(${program} PRIVATE fp_core)
    add_custom_command(OUTPUT ${folder}/.made
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${program} ${folder}
        COMMAND ${CMAKE_COMMAND} -E touch ${folder}/.made
        DEPENDS ${program}
        COMMENT "Writing the FolderPack seed corpus")
    add_custom_target(${target} ALL DEPENDS ${folder}/.made)
endfunction()
