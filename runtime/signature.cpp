// The runtime's signature record: comma-separated fields, a tag and then
// name=value pairs. Nothing in the component reads it; tools that inspect a
// script library look for it in the data, so it must survive into the binary.
extern "C" {
#if defined(__GNUC__)
__attribute__((used))
#endif
extern const char vrel_signature[] =
    "VREL_SIG,name=vrel_script_helper,type=LIB,version=4.8.6.0,date=16/06/2017,author=Kelvane developers";
}
