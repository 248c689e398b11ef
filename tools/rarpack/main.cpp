#include "tools/rarpack/rarpack.h"

int main(int argc, char** argv) {
    return rarpack::run(argc, argv);
}
