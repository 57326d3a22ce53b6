// briui.exe: the product's user interface. With "-service" it is the interface of the
// product's Windows service (the installation starts it so with Windows); its window says
// which mode it runs in, where it was started from and with which command line.
#include <windows.h>

#include "Product.h"
#include "ProductWindow_win.h"

int WINAPI WinMain(HINSTANCE Instance, HINSTANCE, LPSTR, int)
{
    const bool serviceMode = HasSwitch(ServiceSwitch);
    const std::string path = ProgramPath();
    const std::string title = std::string(ProductName) + " Interface";
    const std::string text =
        title + " (" + InterfaceProgram + ")\r\n" + "Folder: " + path.substr(0, path.find_last_of('\\') + 1) + "\r\n" +
        "Command line: " + CommandLineText() + "\r\n" +
        (serviceMode ? "Service mode: started with \"-service\", for the service " + std::string(ServiceName) + "."
                     : std::string("Desktop mode: started without \"-service\"."));
    return RunProductWindow(Instance, InterfaceWindowClass, title, text);
}
