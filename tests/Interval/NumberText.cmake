# Number text: its own executable, linked with the language layer.
brix_add_test_suite(brix_numbertext_tests ${CMAKE_CURRENT_LIST_DIR}/NumberTextTest.cpp)
target_link_libraries(brix_numbertext_tests PRIVATE brix_lang)
