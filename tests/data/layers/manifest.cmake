# Two layers, high on low, for the test that the include check refuses an upward include.
set(LAYERS_ROOT "${CMAKE_CURRENT_LIST_DIR}/src")
set(LAYERS_TARGETS "low;high")
set(LAYERS_BACKENDS "")
set(LAYERS_FILES_low "low/Low.h")
set(LAYERS_USES_low "")
set(LAYERS_FILES_high "high/High.h")
set(LAYERS_USES_high "low")
