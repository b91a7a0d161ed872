// A loadable module for the module loader's tests.
extern "C" __attribute__((visibility("default"))) int KvTestAnswer() {
    return 42;
}
