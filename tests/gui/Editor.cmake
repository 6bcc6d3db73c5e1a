
# The limiter's editor on its plug-in, with the artwork compiled in.
vellicor_add_test(editor_tests
    SOURCES GRAPHTest.cpp VellicorEditorTest.cpp
    LIBS vellicor_plugin_test)
vellicor_embed_artwork(editor_tests)
