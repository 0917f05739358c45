#include "manager_forms_support.h"

#include "KvTestSupport.h"
#include "UTxLog.h"

extern const CLogSettings g_LogSettings = {"MngForms  ", "", false, 0, true, true, false};

namespace managerforms {

const ui::WindowClass& TestClass()
{
    static ui::WindowClass windowClass("KvManagerFormsTest");
    windowClass.Register();
    return windowClass;
}

std::string FixtureDriveFolder()
{
    return testsupport::ExeFolder() + "fixture-drive";
}

unsigned long FixtureDriveMask()
{
    return 1ul << (kFixtureDrive - 'A');
}

}  // namespace managerforms
