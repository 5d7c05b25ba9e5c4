// humanoid.tag -- where the humanoids hold their weapon and shield and wear their helmet.
// name, bone, offset x y z, rotation w x y z
weapon hand_r 0.000000 0.000000 -9.000000 1.000000 0.000000 0.000000 0.000000
weapon_tip hand_r 18.000000 0.000000 -9.000000 1.000000 0.000000 0.000000 0.000000
shield hand_l 0.000000 2.500000 -6.000000 0.707107 0.000000 0.000000 0.707107
helmet head 0.000000 0.000000 4.000000 1.000000 0.000000 0.000000 0.000000
// The same place under the name the level-up burst asks for.
tag_helmet head 0.000000 0.000000 4.000000 1.000000 0.000000 0.000000 0.000000
overhead head 0.000000 0.000000 14.000000 1.000000 0.000000 0.000000 0.000000
