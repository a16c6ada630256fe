#include "app/app_run.h"

int main(int argc, char** argv) {
    return velomar::RunApplication(argc, argv);
}
