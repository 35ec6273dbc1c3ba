// A shared library that is not a script: it lacks load_vrel_client_script.
extern "C" __attribute__((visibility("default"))) int not_a_script_entry() { return 0; }
