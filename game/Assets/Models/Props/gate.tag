// gate.tag -- the middle of the portal, where its swirl turns.
// name, bone, offset x y z, rotation w x y z
center portal 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 0.000000
