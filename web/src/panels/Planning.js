// Route planning and object management over the plot: the objects drawn,
// the tools, the property and layer panels and the MOB control, sharing one
// copy of the program's objects.

import './planning.css';
import { createNavModel } from '../lib/navModel.js';
import { attachNavObjects } from './NavObjectsLayer.js';
import { createPlanTools } from './PlanTools.js';
import { createPropertyPanel } from './PropertyPanel.js';
import { createLayerPanel } from './LayerPanel.js';
import { createMobControl } from './MobControl.js';

export function attachPlanning(plot, store) {
  const model = createNavModel(store);
  const layer = attachNavObjects(plot.map, model, store);
  const tools = createPlanTools(plot.map, model, layer);
  plot.element.append(tools.toolbar, tools.menu);
  const reload = () => {
    model.reload();
    plot.reloadNavObjects();
  };
  const mob = createMobControl(store, reload);
  return {
    model,
    reload,
    propertyPanel: createPropertyPanel(model),
    layerPanel: createLayerPanel(model),
    mobButton: mob.button,
    mobBanner: mob.banner,
  };
}
