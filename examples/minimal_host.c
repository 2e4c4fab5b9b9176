/* minimal_host: the smallest desktop host of the Pellora editor control, in
 * C against the installed SDK. It loads the module, creates the control,
 * shows its widget in a window with a Save button, and edits one item.
 *
 *   cc minimal_host.c -o minimal_host $(pkg-config --cflags --libs pellora gtk+-3.0) \
 *      -DPELLORA_MODULE_PATH="\"$(pkg-config --variable=module pellora)\""
 *   ./minimal_host http://127.0.0.1:8080/tessaron "Sample 1" TOKEN
 *
 * With --save-once it saves as soon as the item is shown, prints what the
 * control reports and quits (exit 0 when the server stored the item). */
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <pellora/pellora.h>
#include <stdio.h>
#include <string.h>

#ifndef PELLORA_MODULE_PATH
#define PELLORA_MODULE_PATH PELLORA_MODULE_FILE
#endif

static IPellora* control;
static int saved;

/* Command-line text is UTF-8; the control takes UTF-16 BSTRs. */
static BSTR bstr(const char* utf8) {
  glong length = 0;
  gunichar2* wide = g_utf8_to_utf16(utf8, -1, NULL, &length, NULL);
  BSTR text = PelloraSysAllocStringLen(wide, (uint32_t)length);
  g_free(wide);
  return text;
}

static IPellora* create_control(const char* path) {
  void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    fprintf(stderr, "minimal_host: %s\n", dlerror());
    return NULL;
  }
  PelloraGetClassObjectFn get_class_object =
      (PelloraGetClassObjectFn)dlsym(module, PELLORA_ENTRY_GET_CLASS_OBJECT);
  IClassFactory* factory = NULL;
  IPellora* created = NULL;
  if (get_class_object &&
      SUCCEEDED(get_class_object(&CLSID_axEdit, &IID_IClassFactory, (void**)&factory))) {
    factory->lpVtbl->CreateInstance(factory, NULL, &IID_IPellora, (void**)&created);
    factory->lpVtbl->Release(factory);
  }
  if (!created) fprintf(stderr, "minimal_host: %s offers no editor control\n", path);
  return created; /* the module stays loaded for the control's lifetime */
}

static GtkWidget* control_widget(void) {
  IPelloraWindow* window = NULL;
  void* widget = NULL;
  if (FAILED(IPellora_QueryInterface(control, &IID_IPelloraWindow, (void**)&window))) return NULL;
  window->lpVtbl->GetWindow(window, &widget);
  window->lpVtbl->Release(window);
  return widget;
}

/* What the control tells of the document: a save the server acknowledged
 * closes the editor and sets pdfSaved. */
static int32_t document_state(void) {
  IPelloraWindow2* window = NULL;
  int32_t flags = 0;
  if (SUCCEEDED(IPellora_QueryInterface(control, &IID_IPelloraWindow2, (void**)&window))) {
    window->lpVtbl->GetDocumentState(window, &flags);
    window->lpVtbl->Release(window);
  }
  return flags;
}

static void save(GtkButton* button, gpointer data) {
  (void)button;
  (void)data;
  HRESULT hr = IPellora_Save(control);
  saved = SUCCEEDED(hr) && (document_state() & pdfSaved);
  printf("Save: 0x%08X, %s\n", (unsigned)hr, saved ? "stored" : "not stored");
}

static gboolean save_once(gpointer window) {
  save(NULL, NULL);
  gtk_widget_destroy(window);
  return G_SOURCE_REMOVE;
}

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  const int save_and_quit = argc == 5 && strcmp(argv[4], "--save-once") == 0;
  if (argc != 4 && !save_and_quit) {
    fprintf(stderr, "usage: minimal_host URL CONTENT TOKEN [--save-once]\n");
    return 2;
  }
  const char* path = g_getenv("PELLORA_MODULE");
  control = create_control(path ? path : PELLORA_MODULE_PATH);
  if (!control) return 1;

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
  GtkWidget* button = gtk_button_new_with_label("Save");
  GtkWidget* editor = control_widget();
  gtk_window_set_title(GTK_WINDOW(window), argv[2]);
  gtk_window_set_default_size(GTK_WINDOW(window), 900, 650);
  if (editor) gtk_box_pack_start(GTK_BOX(box), editor, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), box);
  g_signal_connect(button, "clicked", G_CALLBACK(save), NULL);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);

  BSTR url = bstr(argv[1]), content = bstr(argv[2]), token = bstr(argv[3]);
  IPellora_Params(control, url, content, token);
  PelloraSysFreeString(url);
  PelloraSysFreeString(content);
  PelloraSysFreeString(token);
  const HRESULT loaded = IPellora_Load(control);
  printf("Load: 0x%08X\n", (unsigned)loaded);

  gtk_widget_show_all(window);
  if (save_and_quit) g_idle_add(save_once, window);
  gtk_main();
  IPellora_Release(control);
  return save_and_quit && !saved ? 1 : 0;
}
