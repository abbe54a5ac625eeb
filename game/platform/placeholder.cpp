namespace vorne {}
