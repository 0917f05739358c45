#include "UManagerForms.h"

const ui::WindowClass& ManagerFormClass()
{
    static ui::WindowClass windowClass("TKvManagerForm");
    windowClass.Register();
    return windowClass;
}
