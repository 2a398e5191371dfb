#include "navobjects/model/NavObject.h"

namespace tarnwick {

const CClassDescriptor& CNavObject::Descriptor() {
  static const CClassDescriptor descriptor(
      "NavObject", nullptr,
      {
          prop::Field<&CNavObject::name>("Name", PropertyType::Text),
          prop::Field<&CNavObject::description>("Description", PropertyType::Text),
          prop::Field<&CNavObject::hidden>("Hidden", PropertyType::Boolean, 0),
          prop::Field<&CNavObject::lockPosition>("LockPosition", PropertyType::Boolean, 0),
          prop::Field<&CNavObject::attach>("Attach", PropertyType::Attachments),
      });
  return descriptor;
}

std::string CNavObject::DisplayName() const {
  return name.empty() ? "(no name)" : name;
}

bool RunDeleteCommand(CSelectable& object, INavCommandHost& host) {
  return host.DeleteObject(object);
}

bool RunActivateCommand(CSelectable& object, INavCommandHost& host) {
  return host.ActivateObject(object);
}

bool RunDeactivateCommand(CSelectable& object, INavCommandHost& host) {
  return host.DeactivateObject(object);
}

}  // namespace tarnwick
