// Spraywick: an endless water-ski run seen from above.
#include "native/entry.h"

int main(int argc, char** argv) { return zv_host_main(argc, argv); }
