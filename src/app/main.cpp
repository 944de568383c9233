#include "app/AppDelegate.h"

int main(int argc, char** argv) {
    AppDelegate app;
    return app.run(argc, argv);
}
