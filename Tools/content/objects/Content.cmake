# Models, clips and particle files of the pickups, grenades and scripted objects, made by our generator.
qel_add_model_generator(make_object_models content_object_models
  "Making the models, clips and particle systems of pickups and scripted objects"
  ${CMAKE_CURRENT_LIST_DIR}/make_object_models.cpp)
