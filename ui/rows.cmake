# velmora_ui_rows: the rows of the results list and the batch and save steps
# on them (ui/batch_rows.h). Qt Core only, so a program without a display or
# widgets (a fuzz target, a headless test) can run the window's own batch
# code. Included by ui/CMakeLists.txt; a build without the desktop program can
# include this file on its own.
if(NOT TARGET velmora_ui_rows)
    find_package(Qt6 REQUIRED COMPONENTS Core)
    add_library(velmora_ui_rows STATIC
        ${CMAKE_CURRENT_LIST_DIR}/batch_rows.cpp
        ${CMAKE_CURRENT_LIST_DIR}/gbk.cpp
        ${CMAKE_CURRENT_LIST_DIR}/report_model.cpp)
    set_target_properties(velmora_ui_rows PROPERTIES AUTOMOC ON)
    target_include_directories(velmora_ui_rows PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(velmora_ui_rows PUBLIC velmora_text velmora_core Qt6::Core)
endif()
