// pedestal.tag -- the top of the plinth, where the relic lies.
// name, bone, offset x y z, rotation w x y z
tag_relic base 0.000000 0.000000 96.000000 1.000000 0.000000 0.000000 0.000000
