// wolf.tag -- the wolf's jaws, where its bite lands, and the point above its head.
// name, bone, offset x y z, rotation w x y z
mouth head 10.000000 0.000000 -1.000000 1.000000 0.000000 0.000000 0.000000
overhead head 2.000000 0.000000 12.000000 1.000000 0.000000 0.000000 0.000000
