// The titora_resources library carries no code of its own: its content is the
// pictures that Qt's resource compiler turns into an object library travelling
// with it (see resources.cmake). CMake still wants one source file for a
// static library, and this is it.
