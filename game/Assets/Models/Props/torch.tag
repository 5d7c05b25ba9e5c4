// torch.tag -- the point the fire effect burns at.
// name, bone, offset x y z, rotation w x y z
fire flame 0.000000 0.000000 3.000000 1.000000 0.000000 0.000000 0.000000
