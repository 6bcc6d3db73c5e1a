#include "vellicor/tools/render/RenderApp.h"

int main(int argc, char** argv)
{
    return RunRenderApp(argc, argv);
}
