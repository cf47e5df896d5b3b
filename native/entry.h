// The process entry sequence, shared by the game's executable and the test programs.
#pragma once

// Initialises GLFW, creates the one host, starts the runtime and runs Main, then runs the host
// loop if Main installed a delegate. Returns the process exit status.
int zv_host_main(int argc, char** argv);
